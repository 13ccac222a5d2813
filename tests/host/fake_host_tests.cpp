// The fake Host's plumbing that every program playing the Host shares: which Host the table's
// plain functions reach while several are alive, what they do with none, and where a Host
// that runs other threads' calls on its own thread runs them.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "support/fake_host.h"
#include "support/watchdog.h"

namespace {

// Answers every call with its own mark, so that a test sees which Host answered.
class MarkedHost : public HostBehaviour {
public:
    explicit MarkedHost(int32_t ownMark) : mark(ownMark) {}

    int32_t DoSetParameter(int32_t, int32_t, int32_t) override { return Served(); }
    int32_t DoGetParameter(int32_t, int32_t, void* result) override {
        *static_cast<int32_t*>(result) = mark;
        return Served();
    }
    int32_t DoEnumCommand(int32_t, char*, int32_t, int32_t* valid) override {
        *valid = mark;
        return Served();
    }
    int32_t DoSendCommand(int32_t, int32_t) override { return Served(); }
    int32_t CommandCount() const override { return mark * 10; }

    DWORD servedOn = 0; // the thread of the latest call

private:
    int32_t Served() {
        servedOn = GetCurrentThreadId();
        return mark;
    }

    const int32_t mark;
};

// What each of the table's four functions returns and writes, -1 where it writes nothing.
struct Answers {
    int32_t set, get, enumerate, send;
    int32_t read, valid;
};

Answers CallEveryFunction(const HostCallbackTable& table) {
    Answers answers = {};
    answers.read = -1;
    answers.valid = -1;
    int32_t unused = 0;
    char name[8] = {};
    answers.set = table.SetParameter(HostParam::Level, 0, 0, 0);
    answers.get = table.GetParameter(HostParam::Pan, 0, &answers.read, 0);
    answers.enumerate = table.EnumCommand(0, name, sizeof name, &unused, &answers.valid);
    answers.send = table.SendCommand(0, kCommandKeyDown);
    return answers;
}

void ExpectAnsweredBy(const HostCallbackTable& table, int32_t mark) {
    const Answers answers = CallEveryFunction(table);
    EXPECT_EQ(answers.set, mark);
    EXPECT_EQ(answers.get, mark);
    EXPECT_EQ(answers.enumerate, mark);
    EXPECT_EQ(answers.send, mark);
    EXPECT_EQ(answers.read, mark);
    EXPECT_EQ(answers.valid, mark);
}

void ExpectNoHostAnswers(const HostCallbackTable& table) {
    const Answers answers = CallEveryFunction(table);
    EXPECT_EQ(answers.set + answers.get + answers.enumerate + answers.send, 0);
    EXPECT_EQ(answers.read, -1) << "nothing is written without a Host";
    EXPECT_EQ(answers.valid, -1);
}

TEST(FakeHost, TheTableCarriesThePlainFunctionsAndTheBehavioursCommandCount) {
    MarkedHost behaviour(3);
    const FakeHost host(behaviour);
    const HostCallbackTable table = host.Table();
    EXPECT_EQ(table.SetParameter, &FakeHost::SetParameter);
    EXPECT_EQ(table.GetParameter, &FakeHost::GetParameter);
    EXPECT_EQ(table.EnumCommand, &FakeHost::EnumCommand);
    EXPECT_EQ(table.SendCommand, &FakeHost::SendCommand);
    EXPECT_EQ(table.reserved, nullptr);
    EXPECT_EQ(table.CommandCount, 30);
}

TEST(FakeHost, TheNewestAnswersUntilItGoesThenThePreviousAgain) {
    MarkedHost first(1), second(2);
    const auto older = std::make_unique<FakeHost>(first);
    const HostCallbackTable table = older->Table();
    ExpectAnsweredBy(table, 1);
    {
        const FakeHost newer(second);
        ExpectAnsweredBy(table, 2);
    }
    ExpectAnsweredBy(table, 1);
}

// A Host that goes while a newer one answers leaves no trace: when the newer one goes too, the
// table reaches no Host at all rather than the one already gone.
TEST(FakeHost, AHostThatGoesBeforeANewerOneIsForgotten) {
    MarkedHost first(1), second(2);
    auto older = std::make_unique<FakeHost>(first);
    auto newer = std::make_unique<FakeHost>(second);
    const HostCallbackTable table = newer->Table();
    older.reset();
    ExpectAnsweredBy(table, 2);
    newer.reset();
    ExpectNoHostAnswers(table);
}

TEST(FakeHost, WithoutAHostEveryFunctionReturnsZeroAndWritesNothing) {
    MarkedHost behaviour(4);
    const HostCallbackTable table = FakeHost(behaviour).Table();
    ExpectNoHostAnswers(table);
}

// A Host that runs other threads' calls on its own thread serves them only while that thread
// looks at its messages; the caller waits meanwhile and gets the answer.
TEST(FakeHost, AnOwnThreadHostServesAnotherThreadsCallOnItsOwnThread) {
    Watchdog watchdog("a call served on the Host's thread", std::chrono::seconds(30));
    MarkedHost behaviour(5);
    FakeHost host(behaviour);
    host.BecomeKind(HostKind::OwnThread);
    const HostCallbackTable table = host.Table();
    std::atomic<int32_t> answer{0};
    std::thread caller([&] { answer = table.SetParameter(HostParam::Stop, 1, 0, 0); });
    while (answer.load() == 0) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    caller.join();
    EXPECT_EQ(answer.load(), 5);
    EXPECT_EQ(behaviour.servedOn, GetCurrentThreadId());
}

} // namespace
