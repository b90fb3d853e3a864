#pragma once
// The page setup window of list printing (caption "页面设置"). It edits the page setup that
// lists::page_setup_object refers to, in place, and keeps the paper orientation and the report
// title in pz.ini ([标题] 纸张方向, 标题名称). Three pages: " 页面 " (orientation, paper, zoom,
// title, what to print), " 页边距 " (margins, centring, a drawing of the page) and "页眉和页脚".
#include <QDialog>
#include <memory>

#include "platform/grid.h"

class QFrame;
class QLineEdit;

namespace Ui {
class PageSetupWindow;
}

namespace lists {

class PageSetupWindow : public QDialog {
    Q_OBJECT
public:
    // Loads every box from the page setup page_setup_object refers to (a fresh default one when
    // it refers to none) and from pz.ini.
    explicit PageSetupWindow(QWidget* parent = nullptr);
    ~PageSetupWindow() override;

    Ui::PageSetupWindow* form() const { return ui.get(); }
    // The page setup the window edits.
    const std::shared_ptr<platform::GridPageSetup>& page_setup() const { return setup_; }
    // The fonts the header and footer boxes stand for, as OK will store them.
    const platform::GridFont& header_font() const { return header_font_; }
    const platform::GridFont& footer_font() const { return footer_font_; }

    // Handlers.
    void on_page_setup_window_load();
    void on_page_setup_paper_size_change();
    void on_page_setup_ok_click();
    void on_page_setup_cancel_click();
    void on_page_setup_header_font_click();
    void on_page_setup_footer_font_click();
    void on_page_setup_header_alignment_change();
    void on_page_setup_footer_alignment_change();
    void on_page_setup_center_horizontally_click();
    void on_page_setup_center_vertically_click();
    // A margin box gained (true) or lost the focus: its marker turns black and comes to the
    // front, or turns grey.
    void on_page_setup_margin_focus(QLineEdit* box, bool gained);

    // The marker drawn for a margin box, and the colour a marker is drawn in.
    QFrame* marker_of(QLineEdit* box) const;
    static QColor marker_colour(const QFrame* marker);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Seeds the font dialog with the font, runs it; true when a font was chosen.
    bool choose_font(platform::GridFont& font);
    static void set_marker_colour(QFrame* marker, const QColor& colour);

    std::unique_ptr<Ui::PageSetupWindow> ui;
    std::shared_ptr<platform::GridPageSetup> setup_;
    platform::GridFont header_font_;
    platform::GridFont footer_font_;
};

// What a box shows of a print font, and the print font a chosen screen font stands for.
QFont font_of(const platform::GridFont& font);
platform::GridFont grid_font_of(const QFont& font, double fallback_size);

}  // namespace lists
