// One Qt application object for the whole program test suite.
#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

class QtCoreEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QCoreApplication::instance()) m_app = new QCoreApplication(m_argc, m_argv);
    }

private:
    int m_argc = 1;
    char m_name[16] = "integration";
    char* m_argv[2] = {m_name, nullptr};
    QCoreApplication* m_app = nullptr;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new QtCoreEnvironment);

} // namespace
