#pragma once

// In-process tests of the student program's screens: the offscreen platform, a manual clock
// that drives every player and screen timer, the real DATA.ERF of the build (or an archive the
// test makes), real data files in the test's own directory, and message boxes recorded instead
// of shown.

#include "platform/desktop/application.h"
#include "platform/desktop/message_box.h"
#include "platform/media/clock.h"
#include "platform/media/clock_timer.h"
#include "platform/media/media_player.h"
#include "platform/media/media_system.h"
#include "student/shell/narrator.h"
#include "student/shell/program_state.h"
#include "temp_dir.h"
#include "test_application.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace hc::test::student {

using namespace std::chrono_literals;

// The one application of a student test binary, made before the first test.
using hc::test::application;

// The bee's players and greeting timer, which no screen reaches, found as their objects are
// named: `name` without the screen's prefix ("BeeGuide", "BeeGuideTalk", "BeeSound").
inline hc::media::MediaPlayer& beePlayer(const hc::student::Narrator& bee, const char* name) {
    for (auto* player : bee.findChildren<hc::media::MediaPlayer*>()) {
        if (player->objectName().endsWith(QLatin1String(name))) {
            return *player;
        }
    }
    throw std::logic_error(std::string("the bee has no player ") + name);
}
inline hc::media::ClockTimer& greetingTimer(const hc::student::Narrator& bee) {
    return *bee.findChild<hc::media::ClockTimer*>(QStringLiteral("BeeStartTimer"));
}

// Records every message box and answers with `answer`.
class RecordingBoxes final : public hc::MessageBoxPresenter {
public:
    hc::MessageAnswer present(const hc::MessageRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    std::vector<hc::MessageRequest> requests;
    hc::MessageAnswer answer = hc::MessageAnswer::Ok;
};

// Each test: a fresh directory (current, and TMP for temporary files), default settings saved
// nowhere yet, the archive reader and temporary-file manager started on DATA.ERF, a manual
// clock and a program state over them.
class StudentTest : public TempDirTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens another archive instead of DATA.ERF (the reader is emptied first).
    void useArchive(const std::string& path);
    // DATA.ERF of the build.
    static std::string dataErfPath();
    // The bytes of an entry of the open archive; fails the test when it is missing.
    static std::string entryBytes(const std::string& name);
    // Writes an archive at `path` holding copies of the named entries of the open archive and
    // the `extra` entries (name, bytes), in that order.
    static void writeArchive(const std::string& path, const std::vector<std::string>& copied,
                             const std::vector<std::pair<std::string, std::string>>& extra = {});
    // The two bee animations extracted into the program state, as the main menu does at start.
    void extractBeeAnimations();

    // Advances the clock in steps of at most 10 ms, handling the events each step brings, so
    // that every timer and notification falls due in order.
    void step(std::chrono::milliseconds time);
    static void processEvents();

    // Runs `blocking` (which enters a modal loop, exec() of a screen) while `tick` is called
    // once per turn of the event loop with the clock advanced by `clockStep` before each call.
    // `tick` returns false to stop being called. Returns when `blocking` returns.
    void driveWhile(const std::function<void()>& blocking, const std::function<bool()>& tick,
                    std::chrono::milliseconds clockStep = 10ms);

    // A key press or release of `key` sent to `target` as the windowing system sends it to the
    // focused control: `repeat` marks a held key's repeat, `timestamp` is the system's time
    // stamp of the event.
    static void pressKey(QWidget& target, int key, bool repeat = false,
                         unsigned long timestamp = 0);
    static void releaseKey(QWidget& target, int key, unsigned long timestamp = 0);

    // The temporary files ("qrv*") left in the test's TMP directory.
    std::vector<std::string> temporaryFiles() const;

    // The message boxes shown so far.
    std::vector<hc::MessageRequest>& messages() { return m_boxes->requests; }
    RecordingBoxes& boxes() { return *m_boxes; }

    // A widget of `window` by object name; fails the test when there is none.
    template <class W = QWidget> W* control(QWidget& window, const char* name) {
        W* found = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

    std::string m_tmpDir;
    hc::media::ManualClock m_clock;
    hc::media::MediaSystem m_media{m_clock, hc::media::MediaSystem::AudioOutput::Manual};
    std::unique_ptr<hc::student::ProgramState> m_program;
    RecordingBoxes* m_boxes = nullptr;

private:
    std::string m_savedTmp;
    bool m_hadTmp = false;
};

} // namespace hc::test::student
