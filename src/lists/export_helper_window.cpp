#include "lists/export_helper_window.h"

#include "ui_export_helper_window.h"

namespace lists {

ExportHelperWindow::ExportHelperWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::ExportHelperWindow>()) {
    ui->setupUi(this);
}

ExportHelperWindow::~ExportHelperWindow() { platform::db_close(connection_); }

}  // namespace lists
