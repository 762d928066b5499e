// One Qt application object for the whole integration test program.
#include "support/QtCoreEnvironment.h"

namespace {

const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new kestrova::test::QtCoreEnvironment("integration_tests"));

} // namespace
