#include "frame/error_table.h"

#include <algorithm>
#include <iterator>

namespace tessary {
namespace {

struct CodeText {
  std::uint32_t code;
  const char* text;
};

// Sorted by code; the texts are shown to users exactly as they stand.
constexpr CodeText kTable[] = {
    {110010, "You haven't selected any variables to merge."},
    {110020, "Load source DataArray Error: "},
    {110030, "Invalid filter expression"},
    {110040, "Error duing append variable to DA"},
    {110050, "Error duing append variable to CDA"},
    {110060, "Can't delete temporary file"},
    {110070, "Can't open CDA"},
    {110080, "Eoor in processing ID for sharing"},
    {110090, "Unknown error occured"},
    {110100, "Error in loading data array for aorting"},
    {110110, "Fail to sort the data array"},
    {110111, "Eoor in soring data array"},
    {110120, "Unable to transpose the data array"},
    {110121, "Unable to sort by cluster ID"},
    {110122, "Unable to pack the data array"},
    {110130, "Fail to load CDA"},
    {110140, "Invalid path"},
    {110150, "Fail to evaluate expression"},
    {110160, "Load CombinedDataArray Error"},
    {110170, "Vector is NOT collapsible.\nContinue anyway?"},
    {110180, "Fail to pack CDA"},
    {110190, "Fail to add variable"},
    {110200, "Fail to remove variable"},
    {110210, "Fail to export data array"},
    {110220, "Fail to export data array"},
    {110230, "Unexpected exception during export data array"},
    {110240, "Unable to set property"},
    {110241, "Unexpected error occurs duing setting property"},
    {110250, "Fail to clean CDA"},
    {110260, "Error in setting boundaries"},
    {110270, "Fail to read vector"},
    {110280, "Invalid source cursor"},
    {110300, "Invalid target dataArray number."},
    {110310, "Fail to save value"},
    {110320, "Fail to save data labels"},
    {110330, "Fail to get category"},
    {110340, "Fail to retrieve category list"},
    {110350, "Fail to load data labels"},
    {110360, "Unable to load census CDA"},
    {110370, "Unable to save survey cluster data array"},
    {110380, "Error in saving to census CDA"},
    {110390, "Error in saving to survey CDA"},
    {110400, "Can't find data in specific range"},
    {110410, "Can't find data in specific range"},
    {110420, "Error in get data by range"},
    {110421, "Unknown error in get data by range"},
    {110430, "Error in get data"},
    {110440, "can't find valid drives"},
    {110450, "SQL connection string error"},
    {110460, "Can't retrieve variable information"},
    {110470, "Error in get variable information"},
    {110480, "Load CombinedDataArray Error"},
    {110490, "Invalid cursor"},
    {110500, "Can't retrieve weight from CDA"},
    {110510, "Error in reading weight value"},
    {110520, "Fail to calculate univariate"},
    {110530, "Fail to load survey data array"},
    {110540, "Can't load census CDA"},
    {110550, "Survey or census CDA corrupted"},
    {110560, "Fail to perform cross check"},
    {110580, "Failt to load data array"},
    {110590, "Error on packing data array"},
    {110600, "Error in packing data arrays"},
    {110610, "Fail to combine data arrays"},
    {110620, "Unable to build combine data array"},
    {110630, "Unable to build global mask"},
    {110640, "Fail to save global mask"},
    {110650, "Fail to read global mask"},
    {110660, "Fail to read mask"},
    {110670, "Possible error due to invalid data reference.Please review the ID structure."},
    {110680, "Cluster size greater than the number of observation"},
    {110690, "Error in calculating cluster count"},
    {110700, "Fail to construct masked count"},
    {110710, "Error in runing script"},
    {110720, "Fail to rename variable"},
    {110730, "Fail to reduce variables"},
    {110740, "Do you want to remove weight variable :"},
    {110750, "Do you want to remove variable :"},
    {110760, "Error during reducing variables"},
    {110770, "Can't open file to read"},
    {110780, "Unexpected error occur"},
    {110790, "Are you sure you want to abort ?"},
    {110800, "Error during transposing"},
    {110810, "Unable to release memory buffers"},
    {110820, "Unable to save data array"},
    {110830, "Ignore filter you specified ?"},
    {110840, "Access to registry key denied."},
    {110850, "Can't open registry key."},
    {110860, "The formula for hierarchical ID has been reconstructed. Please take a note of it: "},
};

}  // namespace

const char* errorCodeText(std::uint32_t code) {
  auto at = std::lower_bound(std::begin(kTable), std::end(kTable), code,
                             [](const CodeText& row, std::uint32_t c) { return row.code < c; });
  if (at == std::end(kTable) || at->code != code) return "Unexpected error";
  return at->text;
}

}  // namespace tessary
