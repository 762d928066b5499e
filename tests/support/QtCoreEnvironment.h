#pragma once

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace kestrova::test {

// One Qt application object for a whole test program (SQL drivers, plugins, signals and timers
// need it). A program registers it once: AddGlobalTestEnvironment(new QtCoreEnvironment("name")).
class QtCoreEnvironment : public ::testing::Environment {
public:
    explicit QtCoreEnvironment(const char* programName) { qstrncpy(m_name, programName, sizeof m_name); }
    void SetUp() override {
        if (!QCoreApplication::instance()) m_app = new QCoreApplication(m_argc, m_argv);
    }

private:
    int m_argc = 1;
    char m_name[32] = {};
    char* m_argv[2] = {m_name, nullptr};
    QCoreApplication* m_app = nullptr;
};

} // namespace kestrova::test
