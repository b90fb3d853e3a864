#pragma once
// The holder of the export's connection to its scratch database (数据库连接1). It lives for one
// export only; destroying it closes the connection, so no connection to the scratch file
// outlives the export on any path. It is never shown: it has nothing to show.
#include <QWidget>
#include <memory>

#include "platform/db.h"

namespace Ui {
class ExportHelperWindow;
}

namespace lists {

class ExportHelperWindow : public QWidget {
    Q_OBJECT
public:
    explicit ExportHelperWindow(QWidget* parent = nullptr);
    ~ExportHelperWindow() override;  // closes 数据库连接1

    // 数据库连接1
    platform::Connection& connection() { return connection_; }

private:
    std::unique_ptr<Ui::ExportHelperWindow> ui;
    platform::Connection connection_;
};

}  // namespace lists
