#pragma once

#include <QObject>
#include <QString>

namespace kestrova {

// The task state: the switches of the running tasks, the stop requests of the long passes, the
// backup medium and the last backup failure. Each setter announces a change itself (changed()),
// so whatever follows a switch (the store timer, the windows) hears of it without the caller
// having to say so.
class TaskState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The store timer runs the convert and backup passes while this is on.
    bool StoreFileTimerEnabled() const { return m_storeFileTimerEnabled; }
    void setStoreFileTimerEnabled(bool on) { set(m_storeFileTimerEnabled, on); }

    // "Me&dia Process ON" / "OFF": whether the store tick backs images up.
    bool AutoProcess1() const { return m_autoProcess1; }
    void setAutoProcess1(bool on) { set(m_autoProcess1, on); }

    // "&Decode Problems ON" / "OFF": whether problem resolution re-reads a turned page.
    bool DecodeProblems1() const { return m_decodeProblems1; }
    void setDecodeProblems1(bool on) { set(m_decodeProblems1, on); }

    // Stop requests for running passes; a pass checks its flag where it lets the message loop run.
    bool ConvertStop() const { return m_convertStop; }
    void setConvertStop(bool stop) { set(m_convertStop, stop); }
    bool BackupStop() const { return m_backupStop; }
    void setBackupStop(bool stop) { set(m_backupStop, stop); }
    bool FinaliseStop() const { return m_finaliseStop; }
    void setFinaliseStop(bool stop) { set(m_finaliseStop, stop); }

    // Backup medium and last failure of signing or zip rebuilding.
    const QString& MediaLabel() const { return m_mediaLabel; }
    void setMediaLabel(const QString& label) { set(m_mediaLabel, label); }
    const QString& LastBackupError() const { return m_lastBackupError; }
    void setLastBackupError(const QString& error) { set(m_lastBackupError, error); }

    // Colour depth used to load an image set.
    int ImageSetDepth() const { return m_imageSetDepth; }
    void setImageSetDepth(int depth) { set(m_imageSetDepth, depth); }

    // Pages skipped while resolving problems.
    int ProblemSkipCount() const { return m_problemSkipCount; }
    void setProblemSkipCount(int count) { set(m_problemSkipCount, count); }

signals:
    void changed();

private:
    template <typename T> void set(T& field, const T& value) {
        if (field == value) return;
        field = value;
        emit changed();
    }

    bool m_storeFileTimerEnabled = false;
    bool m_autoProcess1 = true;
    bool m_decodeProblems1 = true;
    bool m_convertStop = false;
    bool m_backupStop = false;
    bool m_finaliseStop = false;
    QString m_mediaLabel;
    QString m_lastBackupError;
    int m_imageSetDepth = 4;
    int m_problemSkipCount = 0;
};

} // namespace kestrova
