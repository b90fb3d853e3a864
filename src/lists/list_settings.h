#pragma once
// The column settings of the lists (查询列), as the pages and the column settings window change
// them: which columns of a list class are shown, and the widths a user saved. Widget-free: the
// window hands over titles and widths and shows the outcome's boxes.
#include <QString>
#include <utility>
#include <vector>

#include "platform/messages.h"

namespace platform {
struct Connection;
}

namespace lists {

struct ListSettingOutcome {
    bool done = false;
    platform::Messages messages;  // what to show, in order
};

// Stores the width of each column (its title, its width in pixels; a negative width as 0) under
// the list class, all or nothing: "保存列宽成功，下次自动显示！", or the database's text and no
// width changed.
ListSettingOutcome save_column_widths(platform::Connection& connection, const QString& column_class,
                                      const std::vector<std::pair<QString, int>>& widths);

// Shows (显示 '真') or hides ('假') the column of the list class; a failure is the database's
// text in a box without icon. Nothing is said on success: the window shows the lists again.
ListSettingOutcome set_column_shown(platform::Connection& connection, const QString& column_class,
                                    const QString& column, bool shown);

}  // namespace lists
