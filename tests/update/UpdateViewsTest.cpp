// The update check as the editor shows it, in a frame without a window: the icon, the question box,
// the progress meter and the finished box, against a server of the test's own on 127.0.0.1.
#include "gui/DrawContext.h"
#include "gui/Frame.h"
#include "gui/PixelBuffer.h"
#include "update/LoopbackServer.h"
#include "update/views/CModalMessagePresenter.h"
#include "update/views/CProgressMeter.h"
#include "update/views/CUpdateInfoIcon.h"
#include "update/views/CUpdateMessageBox.h"
#include "update/views/CUpdateNotification.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using KavrenTest::LoopbackServer;
using KavrenTest::ScopedEnvironment;
using KavrenTest::TempFolder;
using namespace Mirda;
using namespace std::chrono_literals;

namespace {

struct Editor {
    CFrame* frame = new CFrame(CRect(0, 0, 534, 488));
    COwnedPixelBuffer pixels{534, 488};

    ~Editor() {
        frame->close();
        frame->release();
    }
    void click(const CRect& rect) {
        CPoint p((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        frame->onMouseDown(p, kLButton);
        frame->onMouseUp(p, 0);
    }
    Pellu::CUpdateMessageBox* box() const {
        CView* modal = frame->getModalView();
        return modal && modal->isTypeOf("CUpdateMessageBox") ? static_cast<Pellu::CUpdateMessageBox*>(modal)
                                                             : nullptr;
    }
    void render() {
        auto* context = new CDrawContext(pixels.desc());
        frame->renderAll(context);
        context->release();
    }
    // Whether any pixel in the rect was drawn on.
    bool drawsIn(const CRect& rect) const {
        for (int y = int(rect.top); y < int(rect.bottom); ++y)
            for (int x = int(rect.left); x < int(rect.right); ++x)
                if (pixels.desc().row(y)[x * 4 + 3] != 0) return true;
        return false;
    }
};

} // namespace

TEST(UpdateViews, TheEditorShowsTheUpdateAndTheDownloadLandsOnTheDesktop) {
    TempFolder home;
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", home / "config"};
    ScopedEnvironment configDirs{"XDG_CONFIG_DIRS", home / "etc"};
    ScopedEnvironment dataHome{"XDG_DATA_HOME", home / "data"};
    ScopedEnvironment homeFolder{"HOME", home.path()};
    int port = 0;
    LoopbackServer server([&](const std::string& request) {
        if (request.rfind("GET /update_available.php", 0) == 0)
            return LoopbackServer::reply("UPDATE http://127.0.0.1:" + std::to_string(port) + "/Setup.run\n");
        return LoopbackServer::reply(request.rfind("GET /Setup.run", 0) == 0 ? "installer" : "");
    });
    port = server.port();
    std::filesystem::create_directories(home / "Desktop");
    KavrenTest::writeTextFile(home / "config/Quillmark/kavrenxl/settings.ini",
                              "UpdateServer=127.0.0.1\nUpdatePort=" + std::to_string(port) + "\n");

    std::uint64_t milliseconds = 0;
    Pellu::CService service({[&] { return milliseconds; }, [] { return std::uint64_t(1800000000); }});
    Pellu::CSession& session = service.registerProduct("KavrenXL", "kavrenXL", 66056);
    Editor editor;
    const CRect corner(440, 10, 520, 46);
    auto* notification = new Pellu::CUpdateNotification(corner, session, true, nullptr);
    editor.frame->addView(notification);
    auto tick = [&](int times) {
        for (int i = 0; i < times; ++i, milliseconds += 600) {
            notification->onTimer();
            ASSERT_TRUE(service.waitUntilIdle(5s));
        }
    };

    tick(5);
    ASSERT_TRUE(notification->getIcon()->isVisible());
    editor.render();
    EXPECT_TRUE(editor.drawsIn(corner)) << "the icon is drawn";

    editor.click(corner);
    ASSERT_NE(editor.box(), nullptr);
    EXPECT_EQ(editor.box()->getRequest().caption, "New version available");
    EXPECT_FALSE(notification->getIcon()->isVisible());
    editor.render();
    EXPECT_TRUE(editor.drawsIn(editor.box()->getViewSize()));

    editor.click(editor.box()->getButtonRect(0)); // OK
    EXPECT_EQ(editor.box(), nullptr);
    tick(2);
    ASSERT_NE(editor.box(), nullptr);
    EXPECT_EQ(editor.box()->getRequest().caption, "Download finished");
    EXPECT_EQ(KavrenTest::readTextFile(home / "Desktop/Setup.run"), "installer");
    EXPECT_DOUBLE_EQ(notification->getMeter()->getProgress(), 1.0);

    VstKeyCode enter;
    enter.virt = VKEY_RETURN;
    editor.frame->onKeyDown(enter);
    EXPECT_EQ(editor.box(), nullptr);
    EXPECT_EQ(notification->getNotifier().phase(), Pellu::CUpdateNotifier::Phase::kNothing);
}

TEST(UpdateViews, MessagesWaitForTheFrameAndWrapToTheBox) {
    Editor editor;
    Pellu::CModalMessagePresenter presenter(editor.frame);
    std::vector<int> answers;
    presenter.show({"Support Request",
                    "A support file (kavrenXL Support.txt) has been created on your desktop.\n", "Thank you"},
                   [&](int button) { answers.push_back(button); });
    presenter.show({"Update Available",
                    "A update for KavrenXL is available, should it be downloaded to your desktop?", "Yes|No"},
                   [&](int button) { answers.push_back(10 + button); });
    ASSERT_NE(editor.box(), nullptr);
    EXPECT_EQ(editor.box()->getRequest().buttons, "Thank you");
    EXPECT_EQ(presenter.waiting(), 1u);
    editor.render();
    editor.click(editor.box()->getButtonRect(0));
    presenter.pump();
    ASSERT_NE(editor.box(), nullptr);
    EXPECT_EQ(editor.box()->getRequest().caption, "Update Available");
    VstKeyCode escape;
    escape.virt = VKEY_ESCAPE;
    editor.frame->onKeyDown(escape);
    EXPECT_EQ(answers, (std::vector<int>{0, 11}));

    presenter.show({"Late", "text", "OK"}, [&](int button) { answers.push_back(20 + button); });
    presenter.detach();
    editor.click(editor.box()->getButtonRect(0));
    EXPECT_EQ(answers.size(), 2u) << "no answer into a closed editor";

    const auto measure = [](const std::string& text) { return 10.0 * static_cast<double>(text.size()); };
    EXPECT_EQ(
        Pellu::CUpdateMessageBox::wrapText("Close your host-DAW and run the\ninstaller file", 150, measure),
        (std::vector<std::string>{"Close your", "host-DAW and", "run the", "installer file"}));
    EXPECT_EQ(Pellu::CUpdateMessageBox::wrapText("averyveryverylongword x\n", 50, measure),
              (std::vector<std::string>{"averyveryverylongword", "x"}));
}
