#pragma once

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kestrova {

// The progress of batch decoding over one image-set file, kept beside it as image-set file +
// ".progress", so that a run that ends part-way (killed, power cut) continues where it stopped
// and never writes a page twice.
//
// The journal belongs to one image-set file as it is on disk (size, modification time, inode and
// a digest of its first bytes): a new scan makes a new file and with it a fresh journal. It is a
// text file appended to line by line:
//   kestrova-decode-progress 1
//   image-set <size> <mtime ns> <device> <inode> <sha1 of the first 64 KiB>
//   begin <page> <length cm>        a page is about to write the files of the lines that follow
//   file <page> <path>
//   done <page> <length cm>         the page is finished (named, set aside, dropped or reported)
//   again <page>                    nothing of the page could be written: the next run tries it
//   cleared <page>                  the files of an unfinished page were removed
// Pages count from 1. A line cut short by a kill is dropped when the journal is opened again.
class DecodeJournal {
public:
    static QString pathFor(const QString& imageSet) { return imageSet + QStringLiteral(".progress"); }

    // What opening found of an earlier run over the same image-set file.
    struct Recovery {
        QStringList removed;   // files of pages begun but not finished, removed so they are written afresh
        QStringList unremoved; // such files that could not be removed (path: error)
        QStringList refused;   // recorded paths outside the directories a page may write to
        QList<int> completed;  // pages (from 0) begun whose every file was in place: finished now
    };

    // Opens the journal of imageSet for a run. When it belongs to the image-set file as it is now,
    // its finished pages are kept; a page begun but not finished either had every file in place
    // (it counts as finished) or its files and their temporaries are removed, but only inside
    // writableDirs (each ending with "/"). Otherwise a fresh journal is started. Returns empty, or
    // why the journal cannot be kept (the run then goes on without one).
    QString open(const QString& imageSet, const QStringList& writableDirs);

    bool active() const { return m_file.isOpen(); }
    const Recovery& recovery() const { return m_recovery; }
    // Pages (from 0) finished by an earlier run, with their content lengths.
    const QMap<int, int>& finished() const { return m_finished; }
    bool isFinished(int page) const { return m_finished.contains(page); }

    // Records that page (from 0) is about to write files; its content length for the summary.
    void begin(int page, int lengthCm, const QStringList& files);
    void done(int page, int lengthCm);
    void again(int page);
    // The first failure to append, empty while every line was written.
    QString error() const { return m_error; }

private:
    struct Begun {
        int lengthCm = 0;
        QStringList files;
    };
    void read(const QByteArray& text, QMap<int, Begun>& begun);
    void recover(const QMap<int, Begun>& begun, const QStringList& writableDirs);
    bool append(const QString& lines);

    QFile m_file;
    QMap<int, int> m_finished;
    Recovery m_recovery;
    QString m_error;
};

// Removes path and the temporaries a write of it may leave beside it: "." + name + ".*" (written
// before being renamed into place) and name + ".*" (copies and saved files in progress). Returns
// empty, or why path itself could not be removed. The files removed are added to removed.
QString RemoveWithTemporaries(const QString& path, QStringList& removed);

} // namespace kestrova
