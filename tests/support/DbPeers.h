#pragma once

#include "core/db/DbEngine.h"

#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

class QProcess;

namespace kestrova::test {

// A connection of the engine's own to the image database at target (an SQLite file or a
// PostgreSQL URI), outside any data module, as another program such as the LIS has it: it waits up
// to five seconds for another holder's lock. Open unless the database cannot be reached.
QSqlDatabase PeerConnection(DbEngine engine, const QString& target, const QString& name);

// The engine's literals for true and false, as another program writes them.
QString TrueLiteral(DbEngine engine);
QString FalseLiteral(DbEngine engine);

// Starts this test program again to run one disabled stand-in test (another station, the LIS) in a
// process of its own, with this environment; standard output and error merged.
std::unique_ptr<QProcess> StartStandIn(const QString& test, const QProcessEnvironment& env);

// Names the instances of a suite run on each engine.
std::string EngineName(const ::testing::TestParamInfo<DbEngine>& info);

} // namespace kestrova::test
