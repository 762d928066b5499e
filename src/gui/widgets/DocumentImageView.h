#pragma once

#include <QImage>
#include <QScrollArea>
#include <functional>

class QLabel;

namespace kestrova {

// Shows one page of a document image, scaled by a percentage, with optional scroll bars.
class DocumentImageView : public QScrollArea {
    Q_OBJECT
public:
    // Loads a page of a file at a colour depth; returns a null image on failure.
    using PageLoader = std::function<QImage(const QString& file, int page, int depth)>;

    explicit DocumentImageView(QWidget* parent = nullptr);

    static void setPageLoader(PageLoader loader);

    // Loads page 0 of a file; keeps the previous picture and returns false when that fails.
    bool loadFile(const QString& file, int depth);
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

    void setScalePercent(int percent);
    int scalePercent() const { return m_scale; }
    void setScrollBarsVisible(bool visible);

signals:
    void mouseReleased(Qt::MouseButton button);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void render();

    QLabel* m_label;
    QImage m_image;
    int m_scale = 100;
};

} // namespace kestrova
