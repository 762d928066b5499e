// One Qt application object for the whole core test program (SQL drivers and plugins need it).
#include "support/QtCoreEnvironment.h"

namespace {

const auto* const registered = ::testing::AddGlobalTestEnvironment(new kestrova::test::QtCoreEnvironment("core_tests"));

} // namespace
