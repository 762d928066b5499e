#include "core/scan/DeletedProblems.h"

#include "core/config/SetupFile.h"
#include "core/scan/ProblemReasons.h"
#include "core/scan/ProblemResolution.h"
#include "core/util/SafePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kestrova {

namespace {

QStringList ImageMasks() {
    return ProblemFilesMask.split(QLatin1Char(';'));
}

bool Stamp(const QString& path, const QDateTime& when) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime);
}

// Moves from into to unless it is there already; false when from stays behind.
bool MoveFile(const QString& from, const QString& to) {
    if (!QFileInfo::exists(from)) return true;
    if (QFileInfo::exists(to)) return false;
    return QFile::rename(from, to);
}

} // namespace

QString DeletedProblemsDir(const QString& problemsDir) {
    QDir dir(problemsDir);
    const QString parent = QFileInfo(dir.absolutePath()).absolutePath();
    return QDir(parent).filePath(QStringLiteral("deleted")) + QLatin1Char('/');
}

QString MoveProblemToDeleted(const QString& problemsDir, const QString& name, const QDateTime& now) {
    if (!UnsafeNameReason(name).isEmpty()) return UnsafeNameReason(name);
    const QString deleted = DeletedProblemsDir(problemsDir);
    if (!QDir().mkpath(deleted)) return QStringLiteral("cannot make ") + deleted;
    const QString from = problemsDir + name;
    const QString to = deleted + name;
    // The page moves first: a reason file left behind is moved by the next prune.
    if (QFileInfo::exists(from)) {
        if (QFileInfo::exists(to)) return QStringLiteral("a deleted page of that name is kept already");
        if (!QFile::rename(from, to)) return QStringLiteral("cannot move it to ") + deleted;
    } else if (!QFileInfo::exists(to)) {
        return QStringLiteral("no such page");
    }
    const QString reason = CompanionName(name);
    QFile::remove(deleted + reason); // a reason file of an earlier page of that name
    MoveFile(problemsDir + reason, deleted + reason);
    Stamp(to, now);
    if (QFileInfo::exists(deleted + reason)) Stamp(deleted + reason, now);
    return {};
}

QString RestoreDeletedProblem(const QString& problemsDir, const QString& name) {
    if (!UnsafeNameReason(name).isEmpty()) return UnsafeNameReason(name);
    const QString deleted = DeletedProblemsDir(problemsDir);
    const QString reason = CompanionName(name);
    const bool page = QFileInfo::exists(deleted + name);
    if (!page && !QFileInfo::exists(deleted + reason)) return QStringLiteral("no deleted page of that name");
    if (page && QFileInfo::exists(problemsDir + name))
        return QStringLiteral("the problems directory holds one already");
    // The reason file goes first, so the page is never shown without its reason.
    if (QFileInfo::exists(deleted + reason) && QFileInfo::exists(problemsDir + reason) &&
        !QFileInfo::exists(problemsDir + name))
        QFile::remove(problemsDir + reason);
    if (!MoveFile(deleted + reason, problemsDir + reason)) return QStringLiteral("cannot move its reason file back");
    if (page && !QFile::rename(deleted + name, problemsDir + name)) return QStringLiteral("cannot move it back");
    return {};
}

QList<DeletedProblem> DeletedProblems(const QString& problemsDir) {
    const QDir dir(DeletedProblemsDir(problemsDir));
    QList<DeletedProblem> list;
    for (const QFileInfo& file : dir.entryInfoList(ImageMasks(), QDir::Files)) {
        DeletedProblem p{file.fileName(), file.lastModified(), QString()};
        const QString reason = dir.filePath(CompanionName(file.fileName()));
        if (QFileInfo::exists(reason)) p.reason = ParseProblemReasons(ReadReasonLines(reason)).problemText;
        list << p;
    }
    std::sort(list.begin(), list.end(), [](const DeletedProblem& a, const DeletedProblem& b) {
        return a.deleted != b.deleted ? a.deleted < b.deleted : a.name < b.name;
    });
    return list;
}

QStringList PruneDeletedProblems(const QString& problemsDir, int days, const QDateTime& now) {
    const QDir dir(DeletedProblemsDir(problemsDir));
    QStringList removed;
    if (!dir.exists()) return removed;
    // Reason files an interrupted delete left behind follow their page.
    for (const QString& page : dir.entryList(ImageMasks(), QDir::Files)) {
        const QString reason = CompanionName(page);
        if (!QFileInfo::exists(problemsDir + page) && QFileInfo::exists(problemsDir + reason))
            MoveFile(problemsDir + reason, dir.filePath(reason));
    }
    const QDateTime limit = now.addDays(-days);
    for (const DeletedProblem& p : DeletedProblems(problemsDir)) {
        if (days > 0 && p.deleted > limit) continue;
        // The reason file goes last: an interrupted prune leaves no page without its reason.
        if (!QFile::remove(dir.filePath(p.name))) continue;
        QFile::remove(dir.filePath(CompanionName(p.name)));
        removed << p.name;
    }
    return removed;
}

} // namespace kestrova
