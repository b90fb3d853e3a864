#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "dialog_look.h"
#include "harness/scripted_ui.h"
#include "platform/dialogs.h"

using namespace platform;

namespace {

int g_cleanups = 0;
void count_cleanup() { ++g_cleanups; }

// Runs fn on the modal widget the code under test is about to show, from inside its loop.
template <class W, class Fn>
void when_modal(Fn fn) {
    QTimer::singleShot(0, [fn] {
        QWidget* active = QApplication::activeModalWidget();
        auto* w = qobject_cast<W*>(active);
        if (!w) {
            ADD_FAILURE() << "no modal window of the expected kind";
            if (active) active->close();
            return;
        }
        fn(w);
    });
}

}  // namespace

TEST(UiScript, RecordsBoxesAndAnswersThemInOrder) {
    UiScript ui;
    ui.expect_box(QStringLiteral("删除"), MsgResult::Yes).answer(MsgResult::Cancel);
    EXPECT_EQ(message_box(QStringLiteral("确定删除该用户吗？"), QStringLiteral("提示"),
                          MsgIcon::Question, MsgButtons::YesNo),
              MsgResult::Yes);
    EXPECT_EQ(message_box(QStringLiteral("继续？"), kDefaultCaption, MsgIcon::Information,
                          MsgButtons::OkCancel),
              MsgResult::Cancel);
    ASSERT_EQ(ui.boxes().size(), 2u);
    const RecordedBox& first = ui.boxes()[0];
    EXPECT_EQ(first.text, QStringLiteral("确定删除该用户吗？"));
    EXPECT_EQ(first.caption, QStringLiteral("提示"));
    EXPECT_EQ(first.icon, MsgIcon::Question);
    EXPECT_EQ(first.buttons, MsgButtons::YesNo);
    EXPECT_EQ(first.answer, MsgResult::Yes);
    EXPECT_EQ(ui.boxes()[1].caption, QStringLiteral("信息："));
    EXPECT_EQ(ui.box_texts(),
              (QStringList{QStringLiteral("确定删除该用户吗？"), QStringLiteral("继续？")}));
    EXPECT_TRUE(ui.has_box(QStringLiteral("删除该用户")));
    EXPECT_FALSE(ui.has_box(QStringLiteral("保存")));
}

TEST(UiScript, UnexpectedBoxFailsAndIsAnsweredHarmlessly) {
    UiScript ui;
    MsgResult r = MsgResult::Yes;
    EXPECT_NONFATAL_FAILURE(r = message_box(QStringLiteral("确定作废吗？"), kDefaultCaption,
                                            MsgIcon::Question, MsgButtons::YesNo),
                            "unexpected message box: \"确定作废吗？\"");
    EXPECT_EQ(r, MsgResult::No);
    EXPECT_NONFATAL_FAILURE(r = message_box(QStringLiteral("a"), kDefaultCaption,
                                            MsgIcon::Information, MsgButtons::OkCancel),
                            "unexpected message box");
    EXPECT_EQ(r, MsgResult::Cancel);
    EXPECT_NONFATAL_FAILURE(r = message_box(QStringLiteral("b")), "unexpected message box");
    EXPECT_EQ(r, MsgResult::Ok);
    EXPECT_EQ(ui.boxes().size(), 3u);  // still recorded
}

TEST(UiScript, BoxWithOtherTextFailsAndLeavesTheExpectationInPlace) {
    UiScript ui;
    ui.expect_box(QStringLiteral("保存成功"), MsgResult::Ok);
    MsgResult r = MsgResult::Ok;
    EXPECT_NONFATAL_FAILURE(r = message_box(QStringLiteral("确定保存吗？"), kDefaultCaption,
                                            MsgIcon::Question, MsgButtons::YesNo),
                            "the script expects \"保存成功\"");
    EXPECT_EQ(r, MsgResult::No);
    EXPECT_EQ(message_box(QStringLiteral("保存成功！")), MsgResult::Ok);
}

TEST(UiScript, AnswerTheBoxDoesNotOfferFails) {
    UiScript ui;
    ui.expect_box(QStringLiteral("成功"), MsgResult::Yes);
    MsgResult r = MsgResult::Yes;
    EXPECT_NONFATAL_FAILURE(r = message_box(QStringLiteral("导出成功！")), "has no button Yes");
    EXPECT_EQ(r, MsgResult::Ok);
}

TEST(UiScript, UnusedAnswersFailWhenTheScriptEnds) {
    ::testing::TestPartResultArray failures;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        UiScript ui;
        ui.expect_box(QStringLiteral("导出成功"));
        ui.expect_input(QStringLiteral("12"));
        ui.expect_file(QStringLiteral("/tmp/a.xlsx"));
    }
    ASSERT_EQ(failures.size(), 3);
    EXPECT_NE(std::string(failures.GetTestPartResult(0).message())
                  .find("box answer unused: \"导出成功\""),
              std::string::npos);
    EXPECT_NE(std::string(failures.GetTestPartResult(1).message()).find("input answer unused"),
              std::string::npos);
    EXPECT_NE(
        std::string(failures.GetTestPartResult(2).message()).find("file dialog answer unused"),
        std::string::npos);
}

TEST(UiScript, InputBoxesAndFileDialogsFromTheirQueues) {
    UiScript ui;
    ui.expect_input(QStringLiteral("42")).cancel_input();
    ui.expect_file(QStringLiteral("/tmp/导出.xlsx")).expect_file(QString());
    QString answer = QStringLiteral("unchanged");
    EXPECT_TRUE(input_box(QStringLiteral("请输入数量"), QStringLiteral("输入"), QStringLiteral("1"),
                          &answer));
    EXPECT_EQ(answer, QStringLiteral("42"));
    EXPECT_FALSE(
        input_box(QStringLiteral("请输入密码"), QStringLiteral("输入"), QString(), &answer));
    EXPECT_EQ(answer, QStringLiteral("42"));
    ASSERT_EQ(ui.inputs().size(), 2u);
    EXPECT_EQ(ui.inputs()[0].prompt, QStringLiteral("请输入数量"));
    EXPECT_EQ(ui.inputs()[0].initial, QStringLiteral("1"));

    FileDialogRequest save;
    save.kind = FileDialogRequest::Kind::Save;
    save.title = QStringLiteral("导出");
    save.filter = QStringLiteral("Excel 文件 (*.xlsx)");
    EXPECT_EQ(common_dialog_show(save), QStringLiteral("/tmp/导出.xlsx"));
    EXPECT_EQ(common_dialog_show(save), QString());
    ASSERT_EQ(ui.file_requests().size(), 2u);
    EXPECT_EQ(ui.file_requests()[0].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(ui.file_requests()[0].filter, QStringLiteral("Excel 文件 (*.xlsx)"));

    bool ok = true;
    EXPECT_NONFATAL_FAILURE(ok = input_box(QStringLiteral("再输入"), QString(), QString(), &answer),
                            "unexpected input box: \"再输入\"");
    EXPECT_FALSE(ok);
    QString path = QStringLiteral("x");
    EXPECT_NONFATAL_FAILURE(path = common_dialog_show(save), "unexpected file dialog: \"导出\"");
    EXPECT_TRUE(path.isEmpty());
}

TEST(UiScript, ModalWindowsRunTheirCallbacks) {
    UiScript ui;
    QDialog by_object_name;
    by_object_name.setObjectName(QStringLiteral("BackupPathWindow"));
    ui.on_modal(QStringLiteral("BackupPathWindow"), [&ui](QDialog* w) {
        EXPECT_TRUE(w->isVisible());
        // A box shown by the window is scripted like any other.
        ui.expect_box(QStringLiteral("路径"));
        message_box(QStringLiteral("请选择路径"));
        w->accept();
        return w->result();
    });
    EXPECT_EQ(window_open_modal(&by_object_name), QDialog::Accepted);
    EXPECT_FALSE(by_object_name.isVisible());

    // By class name; a window that deletes itself on close is deleted, as exec() does.
    QPointer<QInputDialog> by_class = new QInputDialog;
    by_class->setAttribute(Qt::WA_DeleteOnClose);
    ui.on_modal(QStringLiteral("QInputDialog"), [](QDialog*) { return 7; });
    EXPECT_EQ(window_open_modal(by_class), 7);
    EXPECT_TRUE(by_class.isNull());
    EXPECT_EQ(ui.modal_windows(),
              (QStringList{QStringLiteral("QDialog"), QStringLiteral("QInputDialog")}));

    QDialog stranger;
    int code = 1;
    EXPECT_NONFATAL_FAILURE(code = window_open_modal(&stranger), "unexpected modal window QDialog");
    EXPECT_EQ(code, QDialog::Rejected);
}

TEST(UiScript, BeepsSoundsAndTheEndOfTheProgram) {
    UiScript ui;
    beep();
    beep();
    play_sound(QStringLiteral("/app/sounds/ok.wav"));
    EXPECT_EQ(ui.beep_count(), 2);
    EXPECT_EQ(ui.sounds(), QStringList{QStringLiteral("/app/sounds/ok.wav")});

    g_cleanups = 0;
    set_exit_cleanup(&count_cleanup);
    EXPECT_FALSE(ui.exit_code().has_value());
    try {
        end_program(3);
        ADD_FAILURE() << "end_program returned";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.exit_code, 3);
    }
    EXPECT_EQ(ui.exit_code(), 3);
    EXPECT_EQ(g_cleanups, 1);
    // The clean-up runs once per registration.
    EXPECT_THROW(end_program(0), ProgramEnded);
    run_exit_cleanup();
    EXPECT_EQ(g_cleanups, 1);
    EXPECT_EQ(ui.exit_code(), 0);
}

TEST(UiScript, RestoresThePreviousBackend) {
    UiBackend* outer_before = &ui_backend();
    {
        UiScript outer;
        EXPECT_EQ(&ui_backend(), &outer);
        {
            UiScript inner;
            EXPECT_EQ(&ui_backend(), &inner);
        }
        EXPECT_EQ(&ui_backend(), &outer);
    }
    EXPECT_EQ(&ui_backend(), outer_before);
}

TEST(QtBackend, MessageBoxShowsChineseButtonsAndMapsTheAnswer) {
    set_ui_backend(nullptr);
    QStringList texts;
    QString caption;
    when_modal<QMessageBox>([&](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons()) texts << b->text();
        caption = box->windowTitle();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral("否")) b->click();
    });
    EXPECT_EQ(message_box(QStringLiteral("程序即将退出，确定关闭吗？"), QStringLiteral("提示"),
                          MsgIcon::Question, MsgButtons::YesNo),
              MsgResult::No);
    texts.sort();
    QStringList want{QStringLiteral("是"), QStringLiteral("否")};
    want.sort();
    EXPECT_EQ(texts, want);
    EXPECT_EQ(caption, QStringLiteral("提示"));

    // Closing without a choice refuses: Cancel where there is one, else No.
    when_modal<QMessageBox>([](QMessageBox* box) { box->close(); });
    EXPECT_EQ(message_box(QStringLiteral("x"), kDefaultCaption, MsgIcon::Question,
                          MsgButtons::YesNoCancel),
              MsgResult::Cancel);
    when_modal<QMessageBox>([](QMessageBox* box) { box->close(); });
    EXPECT_EQ(
        message_box(QStringLiteral("x"), kDefaultCaption, MsgIcon::Question, MsgButtons::YesNo),
        MsgResult::No);
    when_modal<QMessageBox>([&](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral("确定")) b->click();
    });
    EXPECT_EQ(message_box(QStringLiteral("x"), kDefaultCaption, MsgIcon::Information,
                          MsgButtons::OkCancel),
              MsgResult::Ok);
}

// Enter presses the first button of an ordinary box, and the refusal of a question before a step
// that destroys data.
TEST(QtBackend, EnterRefusesAQuestionBeforeDestroyingData) {
    set_ui_backend(nullptr);
    const struct {
        MsgButtons buttons;
        bool destroys;
        const char* default_caption;
        MsgResult on_enter;
    } cases[] = {{MsgButtons::YesNo, true, "否", MsgResult::No},
                 {MsgButtons::OkCancel, true, "取消", MsgResult::Cancel},
                 {MsgButtons::YesNo, false, "是", MsgResult::Yes},
                 {MsgButtons::OkCancel, false, "确定", MsgResult::Ok}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.default_caption);
        QString default_caption;
        when_modal<QMessageBox>([&](QMessageBox* box) {
            if (box->defaultButton()) default_caption = box->defaultButton()->text();
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &enter);
        });
        const MsgResult answer =
            c.destroys ? ask_before_destroying(QStringLiteral("x"), c.buttons)
                       : message_box(QStringLiteral("x"), kDefaultCaption, MsgIcon::Question,
                                     c.buttons);
        EXPECT_EQ(default_caption, QString::fromUtf8(c.default_caption));
        EXPECT_EQ(answer, c.on_enter);
    }
}

// A failure box offers Cancel, Try Again and Continue; each closes it with its own answer.
TEST(QtBackend, FailureBoxOffersCancelTryAgainAndContinue) {
    set_ui_backend(nullptr);
    const struct {
        const char* button;
        MsgResult answer;
    } cases[] = {{"取消", MsgResult::Cancel},
                 {"重试(&T)", MsgResult::TryAgain},
                 {"继续(&C)", MsgResult::Continue}};
    for (const auto& c : cases) {
        QStringList texts;
        when_modal<QMessageBox>([&](QMessageBox* box) {
            for (QAbstractButton* b : box->buttons()) texts << b->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == QString::fromUtf8(c.button)) b->click();
        });
        EXPECT_EQ(message_box(QStringLiteral("UNIQUE constraint failed"), kDefaultCaption,
                              MsgIcon::None, MsgButtons::CancelTryContinue),
                  c.answer)
            << c.button;
        texts.sort();
        QStringList want{QStringLiteral("取消"), QStringLiteral("重试(&T)"),
                         QStringLiteral("继续(&C)")};
        want.sort();
        EXPECT_EQ(texts, want);
    }
    when_modal<QMessageBox>([](QMessageBox* box) { box->close(); });
    EXPECT_EQ(message_box(QStringLiteral("x"), kDefaultCaption, MsgIcon::None,
                          MsgButtons::CancelTryContinue),
              MsgResult::Cancel);
}

// However short the message, the box leaves the title bar room for its whole caption beside the
// window icon and the title bar's buttons; an input box too.
TEST(QtBackend, BoxesAreWideEnoughForTheirWholeCaption) {
    set_ui_backend(nullptr);
    const dialog_look::ProgramFont font;
    const auto room_for = [](const QWidget* box, const QString& caption) {
        QFont bold = box->font();
        bold.setBold(true);
        constexpr int kIconAndButtons = 150;
        return QFontMetrics(bold).horizontalAdvance(caption) + kIconAndButtons;
    };
    for (const char* caption : {"信息：", "提示", "信息提示", "提示删除", "数据库备份与恢复"}) {
        const QString title = QString::fromUtf8(caption);
        int width = 0;
        int needed = 0;
        when_modal<QMessageBox>([&](QMessageBox* box) {
            width = box->width();
            needed = room_for(box, title);
            box->close();
        });
        message_box(QStringLiteral("好"), title);
        EXPECT_GE(width, needed) << caption;
        EXPECT_LE(width, 1024) << caption;

        when_modal<QInputDialog>([&](QInputDialog* dialog) {
            width = dialog->width();
            needed = room_for(dialog, title);
            dialog->reject();
        });
        QString answer;
        input_box(QStringLiteral("表名"), title, QString(), &answer);
        EXPECT_GE(width, needed) << caption;
    }
}

TEST(QtBackend, InputBoxReturnsTheTypedText) {
    set_ui_backend(nullptr);
    QString ok_text;
    when_modal<QInputDialog>([&](QInputDialog* dialog) {
        ok_text = dialog->okButtonText();
        EXPECT_EQ(dialog->textValue(), QStringLiteral("初始"));
        dialog->setTextValue(QStringLiteral("新值"));
        dialog->accept();
    });
    QString answer;
    EXPECT_TRUE(input_box(QStringLiteral("请输入"), QStringLiteral("输入"), QStringLiteral("初始"),
                          &answer));
    EXPECT_EQ(answer, QStringLiteral("新值"));
    EXPECT_EQ(ok_text, QStringLiteral("确定"));

    when_modal<QInputDialog>([](QInputDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(input_box(QStringLiteral("请输入"), QStringLiteral("输入"), QString(), &answer));
    EXPECT_EQ(answer, QStringLiteral("新值"));
}

TEST(FileFilter, WindowsStyleFiltersBecomeQtFilters) {
    EXPECT_EQ(qt_file_filter(QStringLiteral("所有图片(*.jpg;*.bmp;*.png)|*.jpg;*.bmp;*.png|"
                                            "JPEG图片(*.jpg)|*.jpg|位图文件(*.bmp)|*.bmp")),
              QStringLiteral("所有图片 (*.jpg *.bmp *.png);;JPEG图片 (*.jpg);;位图文件 (*.bmp)"));
    EXPECT_EQ(qt_file_filter(QStringLiteral("Excel 文件|*.xls;*.xlsx|")),
              QStringLiteral("Excel 文件 (*.xls *.xlsx)"));
    EXPECT_EQ(qt_file_filter(QStringLiteral("Excel 文件 (*.xlsx)")),
              QStringLiteral("Excel 文件 (*.xlsx)"));
    EXPECT_EQ(qt_file_filter(QString()), QString());
}
