#include "gui/widgets/DocumentImageView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace kestrova {

namespace {
DocumentImageView::PageLoader& loaderSlot() {
    static DocumentImageView::PageLoader loader;
    return loader;
}
} // namespace

DocumentImageView::DocumentImageView(QWidget* parent) : QScrollArea(parent), m_label(new QLabel) {
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setBackgroundRole(QPalette::Base);
    setWidget(m_label);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Dark);
}

void DocumentImageView::setPageLoader(PageLoader loader) {
    loaderSlot() = std::move(loader);
}

bool DocumentImageView::loadFile(const QString& file, int depth) {
    QImage img;
    if (loaderSlot()) img = loaderSlot()(file, 0, depth);
    if (img.isNull()) img.load(file);
    if (img.isNull()) return false;
    setImage(img);
    return true;
}

void DocumentImageView::setImage(const QImage& image) {
    m_image = image;
    render();
}

void DocumentImageView::setScalePercent(int percent) {
    m_scale = percent < 1 ? 100 : percent;
    render();
}

void DocumentImageView::setScrollBarsVisible(bool visible) {
    const auto policy = visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
}

void DocumentImageView::render() {
    if (m_image.isNull()) {
        m_label->clear();
        m_label->resize(0, 0);
        return;
    }
    const QSize size = m_image.size() * m_scale / 100;
    m_label->setPixmap(QPixmap::fromImage(m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    m_label->resize(size);
}

void DocumentImageView::mouseReleaseEvent(QMouseEvent* e) {
    emit mouseReleased(e->button());
    QScrollArea::mouseReleaseEvent(e);
}

} // namespace kestrova
