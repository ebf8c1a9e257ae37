#pragma once

#include "vko_info.h"
#include "vko_programm.h"

// The outermost handler of an event: an error is registered under AName and shown, and never
// reaches Qt's event loop.
template <typename TFn>
void RunGuarded(const char* AName, TFn&& AHandler) noexcept {
    try {
        AHandler();
    } catch (...) {
        try {
            VKOInfo().RegisterException(AName, std::current_exception(), true);
            VKOProgramm().ShowException(std::current_exception(), false);
        } catch (...) {
            // Showing failed as well; the program keeps running.
        }
    }
}
