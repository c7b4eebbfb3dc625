#include "app/app_state.h"

namespace orva {

AppState& app() {
    static AppState state;
    return state;
}

void closeDocument(AppState& state) {
    if (state.documentLoaded) releaseDocument(state.document);
    state.document = Document{};
    state.documentLoaded = false;
}

}  // namespace orva
