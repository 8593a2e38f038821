// The analyser library against the emulated analyser: what each kind of
// device does, and what the library must make of it.

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSerialPort>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <set>

#include "device/analyser.h"
#include "tests/device/emulator.h"

namespace corvanta::device {
namespace {

using test::EmulatedReflection;
using test::Emulator;

// Short waits: the emulator answers at once unless told to be slow.
SweepOptions Quick() {
    SweepOptions options;
    options.timing = {2.0, 0.01, 0.004};
    return options;
}

struct Behaviour {
    const char* name;
    std::vector<std::string> emulator;
    SweepRequest request;
    std::optional<FailureKind> failure;  // none: the sweep reads
    bool scans = true;                   // the family that answered
    double perPointSeconds = 0.01;
};

// Every point as the emulator computed it, at the grid asked for, each
// frequency once and in order.
void ExpectExactSweep(const DeviceSweep& taken, const SweepRequest& request) {
    const std::vector<double> grid = Grid(request);
    ASSERT_EQ(taken.sweep.mhz.size(), grid.size());
    std::set<double> seen;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const double hz = taken.sweep.mhz[i] * 1e6;
        EXPECT_NEAR(hz, grid[i], 1.5) << "point " << i;
        if (i > 0) {
            EXPECT_GT(taken.sweep.mhz[i], taken.sweep.mhz[i - 1]) << "point " << i;
        }
        seen.insert(std::round(hz));
        // Nine decimals printed: within half the last digit, and a little
        // for the frequency the emulator cut to whole hertz.
        const std::complex<double> expected = EmulatedReflection(std::round(hz));
        EXPECT_NEAR(taken.sweep.reflection[i].real(), expected.real(), 6e-10) << "point " << i;
        EXPECT_NEAR(taken.sweep.reflection[i].imag(), expected.imag(), 6e-10) << "point " << i;
    }
    EXPECT_EQ(seen.size(), grid.size());
}

class Behaviours : public testing::TestWithParam<Behaviour> {};

TEST_P(Behaviours, GiveTheirResult) {
    const Behaviour& b = GetParam();
    Emulator emulator(b.emulator);
    ASSERT_FALSE(emulator.Path().empty());
    SweepOptions options = Quick();
    options.timing.perPointSeconds = b.perPointSeconds;
    std::size_t lastDone = 0;
    options.progress = [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, static_cast<std::size_t>(b.request.points));
        EXPECT_LE(done, total);
        lastDone = done;
    };
    if (b.failure) {
        try {
            Sweep(emulator.Path(), b.request, options);
            ADD_FAILURE() << "a sweep was read";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.Kind(), *b.failure) << failure.what();
            EXPECT_NE(std::string(failure.what()).find(emulator.Path()), std::string::npos) << failure.what();
            // A failure after the first prompt loses what was read.
            if (failure.Kind() != FailureKind::NoPrompt || failure.Facts().command != "") {
                EXPECT_NE(std::string(failure.what()).find("nothing was kept"), std::string::npos) << failure.what();
            }
        }
        return;
    }
    const DeviceSweep taken = Sweep(emulator.Path(), b.request, options);
    ExpectExactSweep(taken, b.request);
    EXPECT_EQ(taken.identity.scans, b.scans);
    EXPECT_EQ(taken.identity.name, "Test analyser");
    EXPECT_EQ(taken.identity.firmware, b.scans ? "1.2.27" : "0.2.3");
    EXPECT_EQ(lastDone, static_cast<std::size_t>(b.request.points));
    EXPECT_NE(taken.touchstone.find("\n# Hz S RI R 50\n"), std::string::npos);
    EXPECT_NE(taken.touchstone.find("Test analyser, firmware " + taken.identity.firmware), std::string::npos);
}

const SweepRequest k101{140e6, 155e6, 101};
const SweepRequest k201{140e6, 155e6, 201};
const SweepRequest k1001{130e6, 165e6, 1001};
const SweepRequest kOdd{144'000'001, 148'000'003, 333};

INSTANTIATE_TEST_SUITE_P(
    Device, Behaviours,
    testing::Values(
        Behaviour{"read_exactly", {}, k101, std::nullopt},
        Behaviour{"joins_of_two_segments", {"--limit", "101"}, k201, std::nullopt},
        Behaviour{"joins_of_ten_segments", {"--limit", "101"}, k1001, std::nullopt},
        Behaviour{"joins_of_odd_segments", {"--limit", "101"}, kOdd, std::nullopt},
        Behaviour{"large_board_segments", {}, k1001, std::nullopt},
        Behaviour{"old_firmware", {"--old"}, k101, std::nullopt, false},
        Behaviour{"old_firmware_segments", {"--old", "--limit", "101"}, k201, std::nullopt, false},
        Behaviour{"old_firmware_slow_sweep", {"--old", "--slow", "3"}, k101, std::nullopt, false},
        Behaviour{"greeting_with_newline", {"--greeting", "1"}, k101, std::nullopt},
        Behaviour{"greeting_with_question", {"--greeting", "2"}, k101, std::nullopt},
        // 101 points at 25 ms: longer than the prompt's 2 s alone, within
        // the wait that grows with the points.
        Behaviour{"slow_device", {"--slow", "25"}, k101, std::nullopt, true, 0.05},
        Behaviour{"slower_than_its_time", {"--slow", "60"}, k101, FailureKind::NoPrompt, true, 0.0},
        Behaviour{"silent", {"--silent"}, k101, FailureKind::NoPrompt},
        Behaviour{"garbage", {"--garbage"}, k101, FailureKind::UnknownAnswer},
        Behaviour{"old_firmware_garbage", {"--old", "--garbage"}, k101, FailureKind::UnknownAnswer, false},
        Behaviour{"unplugged_in_the_first_segment", {"--unplug-after", "40"}, k101, FailureKind::Unplugged},
        Behaviour{"unplugged_at_a_join", {"--limit", "101", "--unplug-after", "101"}, k201, FailureKind::Unplugged},
        Behaviour{"unplugged_old_firmware", {"--old", "--unplug-after", "50"}, k101, FailureKind::Unplugged, false}),
    [](const testing::TestParamInfo<Behaviour>& each) { return std::string(each.param.name); });

TEST(Device, UnpluggedSaysHowFarItGot) {
    Emulator emulator({"--limit", "101", "--unplug-after", "150"});
    try {
        Sweep(emulator.Path(), k201, Quick());
        ADD_FAILURE() << "a sweep was read";
    } catch (const Failure& failure) {
        ASSERT_EQ(failure.Kind(), FailureKind::Unplugged) << failure.what();
        EXPECT_GE(failure.Facts().done, 101u);
        EXPECT_EQ(failure.Facts().total, 201u);
    }
}

TEST(Device, NothingThereIsNoDevice) {
    try {
        Sweep("/dev/no-analyser-here", k101, Quick());
        ADD_FAILURE();
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Kind(), FailureKind::NoDevice);
        EXPECT_NE(std::string(failure.what()).find("/dev/no-analyser-here"), std::string::npos);
    }
}

TEST(Device, APortHeldElsewhereIsBusy) {
    Emulator emulator;
    QSerialPort holder(QString::fromStdString(emulator.Path()));
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    try {
        Identify(emulator.Path(), Quick().timing);
        ADD_FAILURE() << "opened twice";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Kind(), FailureKind::PortBusy) << failure.what();
        EXPECT_NE(std::string(failure.what()).find("ModemManager"), std::string::npos);
    }
}

// The device file is its owner's alone; another user is refused, and told
// the group that may open it. Run as that other user in a child process.
TEST(Device, PermissionDeniedNamesTheGroup) {
    Emulator emulator({"--mode", "660"});
    // The terminal's group here; a USB analyser's is dialout or uucp.
    struct stat file {};
    ASSERT_EQ(::stat(emulator.Path().c_str(), &file), 0);
    const group* owners = ::getgrgid(file.st_gid);
    ASSERT_NE(owners, nullptr);
    const std::string group = owners->gr_name;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        if (::getuid() != 0) ::chmod(emulator.Path().c_str(), 0);
        try {
            Identify(emulator.Path(), Quick().timing);
        } catch (const Failure& failure) {
            const bool named =
                std::string(failure.what()).find("only the group " + group + " may open it") != std::string::npos;
            if (!named) std::fprintf(stderr, "%s\n", failure.what());
            ::_exit(failure.Kind() == FailureKind::PermissionDenied && named ? 0 : 1);
        }
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Device, AStopKeepsNothing) {
    Emulator emulator({"--slow", "5"});
    std::stop_source stop;
    SweepOptions options = Quick();
    options.stop = stop.get_token();
    options.progress = [&](std::size_t done, std::size_t) {
        if (done >= 10) stop.request_stop();
    };
    try {
        Sweep(emulator.Path(), k101, options);
        ADD_FAILURE();
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Kind(), FailureKind::Stopped);
    }
}

TEST(Device, IdentifiesBothFamilies) {
    for (const bool old : {false, true}) {
        Emulator emulator(old ? std::vector<std::string>{"--old"} : std::vector<std::string>{});
        const Identity identity = Identify(emulator.Path(), Quick().timing);
        EXPECT_EQ(identity.name, "Test analyser");
        EXPECT_EQ(identity.firmware, old ? "0.2.3" : "1.2.27");
    }
}

struct Split {
    std::size_t points, limit;
    std::vector<Segment> segments;
};

class Splits : public testing::TestWithParam<Split> {};

TEST_P(Splits, AreEvenRunsThatJoin) { EXPECT_EQ(Segments(GetParam().points, GetParam().limit), GetParam().segments); }

INSTANTIATE_TEST_SUITE_P(Device, Splits,
                         testing::Values(Split{101, 101, {{0, 101}}}, Split{102, 101, {{0, 51}, {51, 51}}},
                                         Split{201, 101, {{0, 101}, {101, 100}}},
                                         Split{1001, 401, {{0, 334}, {334, 334}, {668, 333}}}, Split{1, 101, {{0, 1}}},
                                         Split{0, 101, {}}));

TEST(Device, RefusesASweepThatCannotBe) {
    for (const SweepRequest& request : {SweepRequest{0, 1e6, 11}, SweepRequest{2e6, 1e6, 11}, SweepRequest{1e6, 2e6, 0},
                                        SweepRequest{1e6, 1e6 + 10, 101}}) {
        try {
            Sweep("/dev/null", request, Quick());
            ADD_FAILURE();
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.Kind(), FailureKind::Refused);
        }
    }
}

}  // namespace

}  // namespace corvanta::device

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
