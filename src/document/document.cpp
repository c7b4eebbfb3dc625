#include "document/document.h"

namespace orva {

// Overwritten byte by byte through a volatile pointer, so that the writes
// are not dropped as dead stores of memory about to be freed.
void wipeSecret(OwnedString& secret) {
    volatile char* bytes = const_cast<char*>(secret.view().data());
    for (std::size_t i = 0; i < secret.size(); ++i) bytes[i] = 0;
}

void releaseDocument(Document& document) {
    // The jobs end first (the tool ended, the thread joined): nothing they
    // were started for may go while they run. The members then release
    // their own blocks, and the record is zero again.
    document.worker.reset();
    wipeSecret(document.password);
    document = Document{};
}

}  // namespace orva
