// One Qt application object for the whole program test suite.
#include "support/QtCoreEnvironment.h"

namespace {

const auto* const registered = ::testing::AddGlobalTestEnvironment(new kestrova::test::QtCoreEnvironment("app_tests"));

} // namespace
