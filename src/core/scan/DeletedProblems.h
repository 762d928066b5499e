#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace kestrova {

// Deleted problem pages are not removed at once: each moves, with its reason file, into a
// "deleted" folder beside the problems directory, where it stays for a number of days and can be
// put back.
QString DeletedProblemsDir(const QString& problemsDir);

struct DeletedProblem {
    QString name;      // the image file's name
    QDateTime deleted; // when it was deleted (the files' modification time)
    QString reason;    // the problem text of its reason file, if any
};

// Moves problemsDir + name and its reason file into the deleted folder and stamps them with now.
// Empty on success, else why not; a second run after an interruption finishes the move.
QString MoveProblemToDeleted(const QString& problemsDir, const QString& name, const QDateTime& now);
// Moves a deleted page and its reason file back into the problems directory. The name must be a
// plain file name of the deleted folder, and the problems directory must not hold one of that name.
QString RestoreDeletedProblem(const QString& problemsDir, const QString& name);
// The deleted pages, oldest first.
QList<DeletedProblem> DeletedProblems(const QString& problemsDir);
// Removes the deleted pages older than days (0 removes all) and moves reason files left behind by an
// interrupted delete; returns the names of the pages removed.
QStringList PruneDeletedProblems(const QString& problemsDir, int days, const QDateTime& now);

} // namespace kestrova
