#include "app/app_state.h"

namespace orva {

AppState& app() {
    static AppState state;
    return state;
}

}  // namespace orva
