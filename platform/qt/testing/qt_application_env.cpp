// Linked into every widget test program: one QApplication for the whole run, created before the first
// test and destroyed after the last.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "korvane-tests";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
