#pragma once
// Every section and key of the workstation settings file pz.ini, in one place, so that every
// module reads and writes the same names. The file is read and written one key at a time and
// never cached: read() and write() go straight to platform::ini_read_text / ini_write_text.
#include <QString>
#include <cmath>

#include "platform/convert.h"
#include "platform/file_places.h"
#include "platform/files.h"

namespace shell {

struct SettingKey {
    QString section;
    QString key;

    // The stored text, or default_value when the key (or the file) is missing.
    QString read(const QString& default_value = QString()) const {
        return platform::ini_read_text(section, key, default_value);
    }
    bool write(const QString& value) const { return platform::ini_write_text(section, key, value); }
};

namespace settings {

// Truth values as the file spells them; each key says which pair it uses.
inline const QString kTrue = QStringLiteral("真");
inline const QString kFalse = QStringLiteral("假");
inline const QString kYes = QStringLiteral("是");
inline const QString kNo = QStringLiteral("否");
inline const QString kOn = QStringLiteral("开");
inline const QString kOff = QStringLiteral("关");

// Navigation pane width in pixels, "0" while collapsed; missing means 210.
inline const SettingKey kSplitterWidth{QStringLiteral("分割条"), QStringLiteral("数值")};
inline constexpr int kDefaultSplitterWidth = 210;

// "真" (the default) shows the tips window at start-up, "假" does not.
inline const SettingKey kShowTips{QStringLiteral("导航命令"), QStringLiteral("提示")};

// Automatic backup.
inline const SettingKey kAutoBackup{QStringLiteral("备份方式"),
                                    QStringLiteral("自动备份")};  // 真/假
inline const SettingKey kBackupCycle{QStringLiteral("备份方式"),
                                     QStringLiteral("备份周期")};  // days 0..30
inline const SettingKey kBackupDate{QStringLiteral("备份方式"),
                                    QStringLiteral("备份日期")};  // y-m-d
inline const SettingKey kBackupOverwrite{QStringLiteral("备份方式"),
                                         QStringLiteral("覆盖备份")};  // 是/否, default 否
inline const SettingKey kBackupFile{QStringLiteral("备份方式"), QStringLiteral("备份文件")};
inline const SettingKey kBackupPath{QStringLiteral("备份方式"), QStringLiteral("备份路径")};
inline const SettingKey kBackupAsk{QStringLiteral("备份提示"), QStringLiteral("提示")};  // 真: ask

// Folder of the last export, where the next export dialog opens (platform::dialog_start_folder).
inline const SettingKey kLastExportFolder{platform::kLastExportSection, platform::kLastExportKey};

// Skin and background picture: full paths.
inline const SettingKey kSkinPath{QStringLiteral("皮肤"), QStringLiteral("位置")};
inline const SettingKey kBackgroundPicture{QStringLiteral("皮肤"), QStringLiteral("图片地址")};

// Aero effect: 开/关 and its parameters.
inline const SettingKey kAeroSwitch{QStringLiteral("Aero特效"), QStringLiteral("开关")};
inline const SettingKey kAeroAlpha{QStringLiteral("Aero特效"), QStringLiteral("透明度")};
inline const SettingKey kAeroShadowSize{QStringLiteral("Aero特效"), QStringLiteral("阴影大小")};
inline const SettingKey kAeroShadowSharpness{QStringLiteral("Aero特效"),
                                             QStringLiteral("阴影锐度")};
inline const SettingKey kAeroShadowBrightness{QStringLiteral("Aero特效"),
                                              QStringLiteral("阴影亮度")};
inline const SettingKey kAeroRed{QStringLiteral("Aero特效"), QStringLiteral("红色分量")};
inline const SettingKey kAeroGreen{QStringLiteral("Aero特效"), QStringLiteral("绿色分量")};
inline const SettingKey kAeroBlue{QStringLiteral("Aero特效"), QStringLiteral("蓝色分量")};

// Menu opacity 0..255.
inline const SettingKey kMenuAlpha{QStringLiteral("菜单"), QStringLiteral("透明度")};

// Colour offsets. "饱合度" is the file's own spelling and must stay so.
inline const SettingKey kHue{QStringLiteral("自定义颜色"), QStringLiteral("色调")};
inline const SettingKey kSaturation{QStringLiteral("自定义颜色"), QStringLiteral("饱合度")};
inline const SettingKey kBrightness{QStringLiteral("自定义颜色"), QStringLiteral("亮度")};

// Printing.
inline const SettingKey kPrintTitle{QStringLiteral("标题"), QStringLiteral("标题名称")};
inline const SettingKey kPaperOrientation{QStringLiteral("标题"),
                                          QStringLiteral("纸张方向")};  // 纵向/横向
inline const QString kPortrait = QStringLiteral("纵向");
inline const QString kLandscape = QStringLiteral("横向");
inline const SettingKey kPrintPreview{QStringLiteral("控件注册"),
                                      QStringLiteral("打印预览")};  // 真 (default) / 假
inline const SettingKey kReceiptCopies{QStringLiteral("打印设置"), QStringLiteral("发票张数")};
// The copies printed while 发票张数 holds no number of copies (missing, empty, 0 or no number).
inline const QString kDefaultReceiptCopies = QStringLiteral("2");
// The copies text that the charging and prepayment windows print by and the print parameters
// window shows: all read it here, so what is shown is what is printed. `defaulted` tells
// whether the default stood in.
inline QString receipt_copies_text(bool* defaulted = nullptr) {
    const QString stored = kReceiptCopies.read();
    const bool none = std::abs(platform::to_number(stored)) <= 1e-7;
    if (defaulted) *defaulted = none;
    return none ? kDefaultReceiptCopies : stored;
}

// The appearance values that choosing a skin or "还  原" writes.
inline const QString kDefaultAeroAlpha = QStringLiteral("120");
inline const QString kDefaultAeroShadowSize = QStringLiteral("10");
inline const QString kDefaultAeroShadowSharpness = QStringLiteral("8");
inline const QString kDefaultMenuAlpha = QStringLiteral("255");

}  // namespace settings
}  // namespace shell
