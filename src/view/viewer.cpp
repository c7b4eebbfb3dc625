#include "view/viewer.h"

namespace orva {

void closeDocument(Viewer& viewer) {
    if (viewer.documentLoaded) releaseDocument(viewer.document);
    viewer.document = Document{};
    viewer.documentLoaded = false;
    viewer.pictures.clear();
}

}  // namespace orva
