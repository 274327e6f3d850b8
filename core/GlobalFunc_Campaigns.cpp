// The campaign list of the front end, rebuilt from the data files.

#include "core/C_File.h"
#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "frontend/C_Campaign.h"

namespace GlobalFunc
{
void LoadCampaigns()
{
    CStringArray files;
    ListFolderFiles("Campaigns\\", files);

    FreeCampaigns();
    const int count = files.GetCount();
    g_Campaigns = new CCampaign[count];
    g_CampaignCount = count;
    for (int i = 0; i < count; ++i)
        g_Campaigns[i].Compile(CString("Campaigns\\") + files[i]);
}

} // namespace GlobalFunc
