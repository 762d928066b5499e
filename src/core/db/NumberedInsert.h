#pragma once

#include <QString>

namespace kestrova {

class DataQuery;
class TImageDataModule;

// The value of SeqNumber in a statement that inserts a row with the next free sequence number:
// the number NextSeq shows, read inside the transaction that inserts the row.
inline const QString NextSeqValue = QStringLiteral("(select NextSeqNum from NextSeq)");

struct NumberedInsertResult {
    bool ok = false;
    QString error;          // the engine's text when ok is false
    bool lockError = false; // another holder kept the database locked beyond the wait
    int attempts = 0;       // inserts tried (more than one when another holder took a number first)
};

// Runs q, an insert of one row whose SeqNumber is NextSeqValue, so that any number of stations
// (and a LIS inserting rows of its own) never take the same number: the number is read and the
// row inserted in one transaction that holds the numbering lock (SQLite's write lock taken at
// once; on a server an advisory lock every station takes for it), and a row refused because
// someone outside the lock took its number first is tried again with the next one. A failed
// insert leaves no gap. q's statement and parameters must be set; the transaction is always
// ended, by a commit or a rollback.
NumberedInsertResult InsertWithNextSeq(TImageDataModule& db, DataQuery& q, int maxAttempts = 5);

} // namespace kestrova
