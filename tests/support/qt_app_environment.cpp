// The window tests need a QApplication (the command and runner tests a QCoreApplication);
// one lives for the whole test program, named by its TOLVANE_TEST_PROGRAM.
#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

#if TOLVANE_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
using TestApplication = QCoreApplication;
#endif

namespace {

class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QCoreApplication::instance())
            app_ = std::make_unique<TestApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[sizeof(TOLVANE_TEST_PROGRAM)] = TOLVANE_TEST_PROGRAM;
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

} // namespace
