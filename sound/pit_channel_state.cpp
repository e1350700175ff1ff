// i8253 counter: save and load of its state.
#include <algorithm>
#include <cmath>

#include "base/archive.h"
#include "emu/state_block.h"
#include "sound/pit_channel.h"

namespace {

// Version 1 holds the start time as the host's u64 time; version 0 held it as a double.
constexpr u8 kVersion = 1;

// Writes each value under its key in the archive's own encodings; doubles go as 8-byte
// blobs.
struct Writer {
    Archive& a;
    bool operator()(bool& v, const char* k) { return a.WriteBool(&v, k); }
    bool operator()(u8& v, const char* k) { return a.WriteUInt8(&v, k); }
    bool operator()(u16& v, const char* k) { return a.WriteUInt16(&v, k); }
    bool operator()(u32& v, const char* k) { return a.WriteUInt32(&v, k); }
    bool operator()(i64& v, const char* k) { return a.WriteInt64(&v, k); }
    bool operator()(u64& v, const char* k) { return a.WriteBlob(&v, sizeof v, k); }
    bool operator()(double& v, const char* k) { return a.WriteBlob(&v, sizeof v, k); }
};

// A version 0 start time (a double) is kept in doubleStart and converted afterwards.
struct Reader {
    Archive& a;
    bool doubleTime = false;
    double doubleStart = 0;
    bool operator()(bool& v, const char* k) { return a.ReadBool(&v, k); }
    bool operator()(u8& v, const char* k) { return a.ReadUInt8(&v, k); }
    bool operator()(u16& v, const char* k) { return a.ReadUInt16(&v, k); }
    bool operator()(u32& v, const char* k) { return a.ReadUInt32(&v, k); }
    bool operator()(i64& v, const char* k) { return a.ReadInt64(&v, k); }
    bool operator()(u64& v, const char* k)
    {
        return doubleTime ? (*this)(doubleStart, k) : a.ReadBlob(&v, sizeof v, k);
    }
    bool operator()(double& v, const char* k) { return a.ReadBlob(&v, sizeof v, k) && std::isfinite(v); }
};

} // namespace

// The values after "SNDG" in their saved order, once for both directions. "BFRO" holds
// the low half of the units seen.
template <typename Visit> static bool VisitCounter(Visit& v, bool& zcr, u16& cr, u8& crt, u16& ce, u16& ol, u8& rsta,
                                                   u8& lsta, u8& cwr, bool& ltch, bool& inpt, bool& outp, bool& sgnl,
                                                   u8& dwrs, u8& drds, u16& cru, double* wave, bool& cer, bool& ces,
                                                   bool& ceco, bool& lgat, bool& mnod, u32& intc, i64& ceff,
                                                   u64& sttm, double& cetm, u32& bfrq, u32& bfro)
{
    return v(zcr, "ZCR") && v(cr, "CR") && v(crt, "CRT") && v(ce, "CE") && v(ol, "OL") && v(rsta, "RSTA") &&
           v(lsta, "LSTA") && v(cwr, "CWR") && v(ltch, "LTCH") && v(inpt, "INPT") && v(outp, "OUTP") &&
           v(sgnl, "SGNL") && v(dwrs, "DWRS") && v(drds, "DRDS") && v(cru, "CRU") && v(wave[0], "CEH") &&
           v(wave[1], "CEL") && v(wave[2], "CEHX") && v(wave[3], "CELX") && v(cer, "CER") && v(ces, "CES") &&
           v(ceco, "CECO") && v(lgat, "LGAT") && v(mnod, "MNOD") && v(intc, "INTC") && v(ceff, "CEFF") &&
           v(sttm, "STTM") && v(cetm, "CETM") && v(bfrq, "BFRQ") && v(bfro, "BFRO");
}

bool PitChannel::SaveState(Archive& archive)
{
    if (!Device::SaveState(archive) || !StateBlock::SaveVersion(archive, kVersion) ||
        !archive.WriteBool(&soundGeneration_, "SNDG"))
        return false;
    if (soundGeneration_ && !(archive.WriteInt64(&highLength_, "SNDH") && archive.WriteInt64(&lowLength_, "SNDL") &&
                              archive.WriteInt64(&remaining_, "SNDR") && archive.WriteBool(&renderLevel_, "SNDX")))
        return false;
    Writer w{archive};
    double wave[4] = {firstHigh_, firstLow_, nextHigh_, nextLow_};
    u32 bfro = static_cast<u32>(unitsSeen_);
    return VisitCounter(w, zeroCount_, cr_, firstByte_, ce_, ol_, status_, latchedStatus_, cw_, latched_, gate_,
                        outputEnabled_, out_, writeState_, readState_, cru_, wave, waveChanged_, startLevel_, square_,
                        gateTaken_, noCount_, pendingEdges_, periodsCounted_, startTime_, period_, unitsPerSecond_,
                        bfro);
}

bool PitChannel::LoadState(Archive& archive, LoadContext context)
{
    bool sound = false;
    u8 version = 0;
    if (!Device::LoadState(archive, context) || !StateBlock::LoadVersion(archive, 0, kVersion, &version) ||
        !archive.ReadBool(&sound, "SNDG") || sound != soundGeneration_)
        return false;
    i64 high = highLength_, low = lowLength_, remaining = remaining_;
    bool level = renderLevel_;
    if (sound && !(archive.ReadInt64(&high, "SNDH") && archive.ReadInt64(&low, "SNDL") &&
                   archive.ReadInt64(&remaining, "SNDR") && archive.ReadBool(&level, "SNDX")))
        return false;
    // Read into copies; the counter takes them only when all are there and fit.
    bool zcr = zeroCount_, ltch = latched_, inpt = gate_, outp = outputEnabled_, sgnl = out_;
    bool cer = waveChanged_, ces = startLevel_, ceco = square_, lgat = gateTaken_, mnod = noCount_;
    u16 cr = cr_, ce = ce_, ol = ol_, cru = cru_;
    u8 crt = firstByte_, rsta = status_, lsta = latchedStatus_, cwr = cw_, dwrs = writeState_, drds = readState_;
    double wave[4] = {firstHigh_, firstLow_, nextHigh_, nextLow_};
    u32 intc = pendingEdges_, bfrq = unitsPerSecond_, bfro = 0;
    i64 ceff = periodsCounted_;
    u64 sttm = startTime_;
    double cetm = period_;
    Reader r{archive, version == 0};
    if (!VisitCounter(r, zcr, cr, crt, ce, ol, rsta, lsta, cwr, ltch, inpt, outp, sgnl, dwrs, drds, cru, wave, cer, ces,
                      ceco, lgat, mnod, intc, ceff, sttm, cetm, bfrq, bfro))
        return false;
    if (dwrs > 4 || drds > 7 || cetm < 0 || ceff < 0)
        return false;
    if (r.doubleTime) {
        // The same time since the start, from the host's time now (the double was exact up
        // to 2^53 units, 104 days); a start after now stays one just made.
        const u64 now = Now();
        const double since = static_cast<double>(now) - r.doubleStart;
        sttm = now - static_cast<u64>(std::clamp(since, 0.0, 0x1p62));
    }
    if (sound) {
        DropSoundBuffer();
        highLength_ = high;
        lowLength_ = low;
        remaining_ = remaining;
        renderLevel_ = level;
    }
    zeroCount_ = zcr;
    cr_ = cr;
    firstByte_ = crt;
    ce_ = ce;
    ol_ = ol;
    status_ = rsta;
    latchedStatus_ = lsta;
    cw_ = cwr;
    // A control word that never set a mode counts as mode 0.
    function_ = FunctionOf(cw_);
    latched_ = ltch;
    gate_ = inpt;
    outputEnabled_ = outp;
    out_ = sgnl;
    writeState_ = dwrs;
    readState_ = drds;
    cru_ = cru;
    firstHigh_ = wave[0];
    firstLow_ = wave[1];
    nextHigh_ = wave[2];
    nextLow_ = wave[3];
    waveChanged_ = cer;
    startLevel_ = ces;
    square_ = ceco;
    gateTaken_ = lgat;
    noCount_ = mnod;
    pendingEdges_ = intc;
    periodsCounted_ = ceff;
    startTime_ = sttm;
    period_ = cetm;
    unitsPerSecond_ = bfrq;
    unitsSeen_ = bfro;
    return true;
}
