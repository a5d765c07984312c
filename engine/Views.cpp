#include "Views.h"

namespace tmf {

namespace {
Views gViews;
}

Views& TheViews() { return gViews; }
void InstallViews(const Views& views) { gViews = views; }

}  // namespace tmf
