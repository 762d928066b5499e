#pragma once

#include <QMainWindow>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;

namespace kestrova {

class ConsoleSession;
class FinaliseMedia;
class ImageCodec;
class ImageMaintenance;
class SignedImageArchive;
class Smime;
class Volumes;
class Station;
class StoreCycle;
class TImgViewForm;
class ZipFactory;
class ZipMedia;
struct TilxInfo;

// The supervisor's window: image record maintenance at the top, the query console in the middle,
// the administrative tasks at the bottom. It is created once and keeps its state between openings.
class TAdminForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TAdminForm(Station& station, QWidget* parent = nullptr);
    ~TAdminForm() override;

    // What the window works with besides the station; each may be left out (the part that needs
    // it then does nothing).
    void setMainForm(QWidget* mainForm) { m_mainForm = mainForm; }
    void setStoreCycle(StoreCycle* cycle) { m_storeCycle = cycle; }
    void setViewer(TImgViewForm* viewer) { m_viewer = viewer; }
    void setZipFactory(const ZipFactory* zips);
    // What finalising a medium needs besides the zip files: the codec that loads the verified
    // images, the drives' labels and the verifier of signed messages (the station's own when it
    // signs).
    void setMediaServices(const ImageCodec* codec, const Volumes* volumes, const Smime* verifier);

    // Administrative tasks.
    void FlushZipBtnClick();
    void ArchiveDatabaseClick();
    void FinalisemediaClick();
    FinaliseMedia* finalise();

    // Console handlers.
    void QueryComboChange(int index);
    void ParamComboChange(int index);
    bool DateTimeEditKeyPress(int key);
    void OpenSQLClick();
    // The console core (made when the station has its database).
    ConsoleSession* console();

    // Image area handlers.
    void showimagelist();
    void Button2Click();
    void ManipPopUpPopup();
    void ManipDeleteClick();
    void ManipDeleteFilesClick();
    void ManipDeleteListClick();
    void View1Click();
    void DuplicateImage(const QString& newReference, const TilxInfo& info);

    // Lifecycle.
    void FormActivate();
    void ExitFmAdminClick();

    // Image File Manipulation
    QGroupBox* ImageManip = nullptr;
    QLineEdit* ReqIDEdit = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;
    QListWidget* ImageList = nullptr;
    QMenu* ManipPopUp = nullptr;
    QMenu* ManipDelete = nullptr;
    QAction* ManipDeleteFiles = nullptr;
    QAction* ManipDeleteList = nullptr;
    QAction* View1 = nullptr;
    QMenu* Print1 = nullptr;
    // DataBase Query (in SQL)
    QGroupBox* SQLGroup = nullptr;
    QLabel* QueryListLabel = nullptr;
    QComboBox* QueryCombo = nullptr;
    QLabel* ParamLabel = nullptr;
    QComboBox* ParamCombo = nullptr;
    QLabel* DateTimeLabel = nullptr;
    QLineEdit* DateTimeEdit = nullptr;
    QPushButton* OpenSQL = nullptr;
    QPlainTextEdit* sqlquerymemo = nullptr;
    QSplitter* QuerySplitter = nullptr;
    QTableView* ImageDBGrid = nullptr;
    QPlainTextEdit* ImageInfoMemo = nullptr;
    // Administrative Tasks
    QGroupBox* TaskGroup = nullptr;
    QPushButton* Finalisemedia = nullptr;
    QPushButton* FlushZipBtn = nullptr;
    QPushButton* ArchiveDatabase = nullptr;
    QGroupBox* ProgressGroup = nullptr;
    QProgressBar* ProgressGauge = nullptr;
    QAction* ExitFmAdmin = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    Station& m_station;

private:
    void buildImageArea(QWidget* parent);
    void buildConsole(QWidget* parent);
    void buildTasks(QWidget* parent);
    void resumeStoreTimer();
    ImageMaintenance* images();
    void showImageInfo();
    void hideImageInfo();
    bool killAll(const QStringList& entries);

    QWidget* m_mainForm = nullptr;
    StoreCycle* m_storeCycle = nullptr;
    TImgViewForm* m_viewer = nullptr;
    std::unique_ptr<ConsoleSession> m_console;
    std::unique_ptr<ZipMedia> m_zipMedia;
    std::unique_ptr<ImageMaintenance> m_images;
    std::unique_ptr<SignedImageArchive> m_archive;
    std::unique_ptr<FinaliseMedia> m_finalise;
    const ImageCodec* m_codec = nullptr;
    const Volumes* m_volumes = nullptr;
    const Smime* m_verifier = nullptr;
    int m_imageInfoColumn = -1;
};

} // namespace kestrova
