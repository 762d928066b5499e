#pragma once

#include "core/admin/ImageMaintenance.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QComboBox;

namespace kestrova {

class DocumentImageToolbar;
class DocumentImageView;
class ImageCodec;
class Station;

// The image viewer of the administration window: one stored image with its toolbar, and
// "Duplicate with New ID" when the administration window has asked for it.
class TImgViewForm : public QMainWindow {
    Q_OBJECT
public:
    // The handler of "Duplicate with New ID": the new reference number, the viewed image's
    // information and the page shown.
    using DuplicateHandler = std::function<void(const QString& newReference, const TilxInfo& info, quint16 page)>;

    explicit TImgViewForm(Station& station, QWidget* parent = nullptr);

    // The codec that reads the image information (without it only the picture is shown).
    void setCodec(const ImageCodec* codec) { m_codec = codec; }

    DuplicateHandler OnDuplicate;
    bool ToolbarBusy = false;
    // The image last loaded.
    const TilxInfo& ViewedImageInfo() const { return m_info; }

    // Shows a file; false when it cannot be shown.
    bool LoadViewImage(const QString& fileName);
    void DuplicatewithNewID1Click();

    DocumentImageView* ILDocImg1 = nullptr;
    DocumentImageToolbar* IlDocImageToolbar1 = nullptr;
    QComboBox* ScaleList = nullptr;
    QAction* DuplicatewithNewID1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    Station& m_station;

private:
    void ILDocImg1Info(const QString& fileName);
    void ILDocImg1Resize();
    void toolbarAction(int button);
    void fitWidth();

    const ImageCodec* m_codec = nullptr;
    TilxInfo m_info;
};

} // namespace kestrova
