#pragma once
// One campaign of the front end and the campaign list built at start-up.

#include <cstdint>

// Stands in for the campaign subsystem, which is not built yet.
class CCampaign
{
public:
    CCampaign();
    ~CCampaign();

    // Compiles one campaign file into this record; reads nothing yet.
    bool Compile(const char* fileName);
};

// The campaign list read by the front end: one record per file of
// "Campaigns\", built by GlobalFunc::LoadCampaigns.
extern CCampaign* g_Campaigns;
extern int32_t g_CampaignCount;

// Frees the list (nothing when there is none).
void FreeCampaigns();
