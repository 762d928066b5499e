#pragma once

#include <QImage>
#include <QScrollArea>
#include <functional>

class QLabel;

namespace kestrova {

// Shows one page of a document image, scaled by a percentage or fitted to the view, with
// optional scroll bars. A page of a multi-page file can be turned to.
class DocumentImageView : public QScrollArea {
    Q_OBJECT
public:
    // Loads a page of a file at a colour depth; returns a null image on failure.
    using PageLoader = std::function<QImage(const QString& file, int page, int depth)>;
    // How the scale follows the view: a fixed percentage, or the page width or height fitted
    // again whenever the view changes size.
    enum class Fit { None, Width, Height, Page };

    explicit DocumentImageView(QWidget* parent = nullptr);

    static void setPageLoader(PageLoader loader);

    // Loads a page of a file; keeps the previous picture and returns false when that fails.
    bool loadFile(const QString& file, int depth, int page = 0);
    // Turns to another page of the loaded file; false when there is no such page.
    bool showPage(int page);
    QString file() const { return m_file; }
    int currentPage() const { return m_page; }
    int pageCount() const { return m_pageCount; }

    // Shows an image that belongs to no file.
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }
    // The picture as it is on the screen, at its scale.
    QImage shownImage() const;
    // Turns the picture shown (not the file) clockwise by a multiple of 90 degrees.
    void turnPicture(int degrees);

    void setScalePercent(int percent);
    int scalePercent() const { return m_scale; }
    // Scale percents that fit the page width, height or the whole page to the view (0 without
    // a picture).
    int widthFitPercent() const;
    int heightFitPercent() const;
    void fit(Fit mode);
    // The magnifier: twice the scale while it is on; off gives the scale and fit back.
    void setMagnified(bool on);
    void setScrollBarsVisible(bool visible);

signals:
    void mousePressed(Qt::MouseButton button);
    void mouseReleased(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void render();
    int fitPercent(Fit mode) const;

    QLabel* m_label;
    QImage m_image;
    QString m_file;
    int m_depth = 0;
    int m_page = 0;
    int m_pageCount = 0;
    int m_scale = 100;
    Fit m_fit = Fit::None;
    bool m_magnified = false;
    int m_unmagnifiedScale = 100;
    Fit m_unmagnifiedFit = Fit::None;
};

} // namespace kestrova
