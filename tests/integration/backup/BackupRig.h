#pragma once

#include "../zip/ZipRig.h"
#include "core/ports/Beeper.h"
#include "core/store/BackupProcess.h"
#include "core/store/SignBackup.h"
#include "support/FakeVolumes.h"

namespace kestrova::backuptest {

// One ImageData row as the backup tests read it.
struct BackupRow {
    qint32 SeqNumber = 0;
    QString key;
    QString CDWriteTime;
    QString CDLabel;
    QString ZipName;
    bool SentToSystem = false;
};

class CountingBeeper : public Beeper {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

// A zip station (mode SINGLE) whose backup medium is labelled DISC0042, with the backup pass on
// the real zip files; the certificate's days and the beeps are the test's.
struct BackupRig : ziptest::ZipRig {
    BackupRig();

    // Adds n stored rows with local copies: request numbers prefix + a running number (the store
    // mask "**" groups them by the prefix's first two characters), document part "REQS1" + a tail.
    void addRows(int n, const QString& prefix = QStringLiteral("12"), int firstSeq = 1);
    QList<BackupRow> backupRows();
    BackupRow row(qint32 seq);
    // Every entry of every zip file below dir, as the outside tool python3's zipfile reads them;
    // fails the test when an archive does not pass its check.
    QStringList zipEntriesBelow(const QString& dir) const;

    test::FakeVolumes volumes;
    CountingBeeper beeper;
    int daysLeft = 365;
    QList<int> pauses;
    SignedImageArchive archive{station, media};
    BackupProcess backup{station, media, archive, volumes, beeper};
};

} // namespace kestrova::backuptest
