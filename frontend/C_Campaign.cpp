#include "frontend/C_Campaign.h"

CCampaign* g_Campaigns = nullptr;
int32_t g_CampaignCount = 0;

CCampaign::CCampaign() = default;

CCampaign::~CCampaign() = default;

bool CCampaign::Compile(const char* /*fileName*/)
{
    return false;
}

void FreeCampaigns()
{
    delete[] g_Campaigns;
    g_Campaigns = nullptr;
    g_CampaignCount = 0;
}
