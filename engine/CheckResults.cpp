#include "CheckResults.h"

namespace tmf {
CheckResultsType CheckResults;
}
