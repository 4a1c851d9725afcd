#pragma once
// The tolvane::Error a call raises; a failed test and an empty Error when it raises none.
#include "support/qt_print.h"
#include "text/error.h"

#include <gtest/gtest.h>

namespace tolvane::testing {

template <typename F> Error ErrorOf(F&& call) {
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no tolvane::Error raised";
    return Error(QString());
}

} // namespace tolvane::testing
