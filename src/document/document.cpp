#include "document/document.h"

namespace orva {

void releaseDocument(Document& document) {
    // The jobs end first (the tool ended, the thread joined): nothing they
    // were started for may go while they run. The members then release
    // their own blocks, and the record is zero again.
    document.worker.reset();
    document = Document{};
}

}  // namespace orva
