#include "gui/widgets/DocumentImageToolbar.h"
#include "gui/widgets/DocumentImageView.h"

#include <QAction>
#include <algorithm>

namespace kestrova {

namespace {

struct ButtonText {
    DocumentImageToolbar::Button button;
    const char* name;
    const char* text;
    const char* hint;
};

const ButtonText BUTTONS[] = {
    {DocumentImageToolbar::Magnify, "MagnifyButton", "Magnify", "Magnify the image"},
    {DocumentImageToolbar::ZoomIn, "ZoomInButton", "Zoom In", "Zoom in"},
    {DocumentImageToolbar::ZoomOut, "ZoomOutButton", "Zoom Out", "Zoom out"},
    {DocumentImageToolbar::ResetZoom, "ResetZoomButton", "Reset Zoom", "Fit the page width"},
    {DocumentImageToolbar::BestFit, "BestFitButton", "Best Fit", "Show the whole page"},
    {DocumentImageToolbar::Rotate90, "Rotate90Button", "Rotate 90", "Turn the page a quarter clockwise"},
    {DocumentImageToolbar::Rotate180, "Rotate180Button", "Rotate 180", "Turn the page upside down"},
    {DocumentImageToolbar::Deskew, "DeskewButton", "Deskew", "Straighten a slanted page"},
    {DocumentImageToolbar::RemoveBorder, "RemoveBorderButton", "Remove Border",
     "Whiten the dark border around the page"},
    {DocumentImageToolbar::FirstPage, "FirstPageButton", "First", "First page"},
    {DocumentImageToolbar::PriorPage, "PriorPageButton", "Prior", "Previous page"},
    {DocumentImageToolbar::NextPage, "NextPageButton", "Next", "Next page"},
    {DocumentImageToolbar::LastPage, "LastPageButton", "Last", "Last page"},
};
static_assert(std::size(BUTTONS) == DocumentImageToolbar::ButtonCount);

} // namespace

DocumentImageToolbar::DocumentImageToolbar(QWidget* parent) : QToolBar(parent) {
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const ButtonText& b : BUTTONS) {
        QAction* a = addAction(QString::fromLatin1(b.text));
        a->setObjectName(QString::fromLatin1(b.name));
        a->setToolTip(QString::fromLatin1(b.hint));
        const Button button = b.button;
        connect(a, &QAction::triggered, this, [this, button] { emit buttonTriggered(button); });
        m_actions[button] = a;
    }
    m_actions[Magnify]->setCheckable(true);
}

void DocumentImageToolbar::showButtons(std::initializer_list<Button> buttons) {
    for (QAction* a : m_actions) a->setVisible(false);
    for (const Button b : buttons) m_actions[b]->setVisible(true);
}

bool ApplyViewerButton(const DocumentImageToolbar& toolbar, DocumentImageView& view, int button) {
    using Tool = DocumentImageToolbar;
    switch (button) {
    case Tool::Magnify:
        view.setMagnified(toolbar.action(Tool::Magnify)->isChecked());
        return true;
    case Tool::ZoomIn:
        view.setScalePercent(view.scalePercent() * 5 / 4 + 1);
        return true;
    case Tool::ZoomOut:
        view.setScalePercent(std::max(1, view.scalePercent() * 4 / 5));
        return true;
    case Tool::BestFit:
        view.fit(DocumentImageView::Fit::Page);
        return true;
    case Tool::FirstPage:
        view.showPage(0);
        return true;
    case Tool::PriorPage:
        view.showPage(view.currentPage() - 1);
        return true;
    case Tool::NextPage:
        view.showPage(view.currentPage() + 1);
        return true;
    case Tool::LastPage:
        view.showPage(view.pageCount() - 1);
        return true;
    default:
        return false;
    }
}

} // namespace kestrova
