#include "document/document.h"

namespace orva {

void releaseDocument(Document& document) {
    // The members release their own blocks; the record is then zero again.
    document = Document{};
}

}  // namespace orva
