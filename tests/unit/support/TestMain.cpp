#include <windows.h>
#include <gtest/gtest.h>
#include "framework/uApplication.h"
#include "framework/uText.h"

int main(int argc, char** argv) {
    // A crash must fail the test, not open Wine's crash dialog and hang the run.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // An exception caught at a window boundary fails the running test rather than opening
    // the error box, which would wait for a click that never comes. Tests of the sink
    // replace it and put this one back.
    Application.OnException = [](const TExceptionInfo& error) {
        ADD_FAILURE() << "exception at a window boundary: " << Narrow(error.ClassName) << ": " << Narrow(error.Message);
    };
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
