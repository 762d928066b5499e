// One widget application for the whole GUI test program, on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

namespace {

class QtGuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QCoreApplication::instance()) m_app = new QApplication(m_argc, m_argv);
    }

private:
    int m_argc = 1;
    char m_name[16] = "gui_tests";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new QtGuiEnvironment);

} // namespace
