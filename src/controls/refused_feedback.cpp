#include "controls/refused_feedback.h"

#include <atomic>

#include "common/firewall.h"
#include "midi/midi_exceptions.h"

namespace RefusedFeedback {

namespace {

// A burst lasts from a refusal to the next feedback that goes through.
std::atomic<bool> inBurst{false};
// The refusal that began a burst and is not reported yet; 0 for none.
std::atomic<MMRESULT> unreported{MMSYSERR_NOERROR};

void NoteRefused(MMRESULT result) noexcept {
    if (!inBurst.exchange(true))
        unreported.store(result != MMSYSERR_NOERROR ? result : MMSYSERR_ERROR);
}

void NoteDelivered() noexcept {
    // Looked at first, so that a send that goes through writes nothing shared.
    if (inBurst.load(std::memory_order_relaxed))
        inBurst.store(false);
}

} // namespace

bool Send(midi::CShortMsg& message) noexcept {
    try {
        message.Send();
    } catch (const midi::CMIDIOutException& refusal) {
        NoteRefused(refusal.Result());
        return false;
    }
    NoteDelivered();
    return true;
}

void Report() {
    const MMRESULT result = unreported.exchange(MMSYSERR_NOERROR);
    if (result != MMSYSERR_NOERROR)
        ReportFailure("feedback to the surface", midi::CMIDIOutException(result).what());
}

} // namespace RefusedFeedback
