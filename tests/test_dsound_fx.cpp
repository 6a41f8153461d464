// The standard effects heard through the loopback device, sample for sample
// against the effects written out from their definitions (fx_reference.h), and
// their parameter interfaces.
#include "dsound_fixture.h"
#include "fx_reference.h"

#include <type_traits>

namespace {

using fx_reference::Signal;
constexpr int kRate = 44100;

class DirectSoundFx : public DirectSoundTest {
protected:
    // A buffer of `channels` interleaved channels at 44100 Hz with effects
    // control, played straight out.
    IDirectSoundBuffer8* Buffer(const std::vector<int16_t>& samples, int channels = 1) {
        IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(channels, kRate, 16), samples, DSBCAPS_CTRLFX);
        IDirectSoundBuffer8* b8 = nullptr;
        EXPECT_EQ(b->QueryInterface(IID_IDirectSoundBuffer8, (void**)&b8), S_OK);
        b8->Release();  // the fixture's list holds the buffer
        return b8;
    }
    static HRESULT SetFx(IDirectSoundBuffer8* b, std::initializer_list<const GUID*> classes) {
        std::vector<DSEFFECTDESC> descs;
        for (const GUID* c : classes) descs.push_back({sizeof(DSEFFECTDESC), 0, *c, 0, 0});
        return b->SetFX(DWORD(descs.size()), descs.data(), nullptr);
    }
    template <typename Interface>
    static Interface* Params(IDirectSoundBuffer8* b, const GUID& effectClass, const IID& iid,
                             DWORD index = 0) {
        Interface* p = nullptr;
        EXPECT_EQ(b->GetObjectInPath(effectClass, index, iid, (void**)&p), DS_OK);
        return p;
    }
    Mix PlayOnce(IDirectSoundBuffer8* b, size_t frames) {
        EXPECT_EQ(b->Play(0, 0, 0), DS_OK);
        Mix mix = Render(frames);
        b->Stop();
        return mix;
    }
    static Signal ToSignal(const std::vector<int16_t>& s, int channels = 1, int channel = 0,
                           size_t frames = 0) {
        Signal x(std::max(frames, s.size() / channels), 0.0);
        for (size_t i = 0; i < s.size() / channels; ++i) x[i] = s[i * channels + channel] / 32768.0;
        return x;
    }
    // Every rendered frame of `channel` within `tolerance` steps of the reference.
    static void ExpectMatches(const Mix& mix, int channel, const Signal& ref, int tolerance = 2) {
        ASSERT_GE(mix.frames(), ref.size());
        size_t bad = 0, first = 0;
        double worst = 0;
        for (size_t i = 0; i < ref.size(); ++i) {
            double want = std::clamp(ref[i] * 32768.0, -32768.0, 32767.0);
            double d = std::fabs(want - mix.samples[2 * i + channel]);
            if (d > tolerance && bad++ == 0) first = i;
            worst = std::max(worst, d);
        }
        EXPECT_EQ(bad, 0u) << "first at frame " << first << ", worst " << worst << " steps";
    }

    // 0.3 s of noise-like samples at half scale, then silence up to `frames`.
    static std::vector<int16_t> Burst(size_t frames, size_t loud = kRate * 3 / 10) {
        std::vector<int16_t> s = Pattern(loud, 7);
        s.resize(frames, 0);
        return s;
    }
};

TEST_F(DirectSoundFx, WithoutEffectsTheSamplesComeOutAsTheyWent) {
    auto s = Burst(kRate / 2);
    IDirectSoundBuffer8* b = Buffer(s);
    ExpectMatches(PlayOnce(b, s.size()), 0, ToSignal(s), 1);
}

TEST_F(DirectSoundFx, GargleIsATriangleByDefaultAndASquareWhenAsked) {
    auto s = Burst(kRate / 2);
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_GARGLE}), DS_OK);
    ExpectMatches(PlayOnce(b, s.size()), 0, fx_reference::Gargle(ToSignal(s), kRate, 20, false));

    auto* gargle = Params<IDirectSoundFXGargle8>(b, GUID_DSFX_STANDARD_GARGLE, IID_IDirectSoundFXGargle8);
    ASSERT_NE(gargle, nullptr);
    DSFXGargle square{150, DSFXGARGLE_WAVE_SQUARE};
    ASSERT_EQ(gargle->SetAllParameters(&square), DS_OK);
    ExpectMatches(PlayOnce(b, s.size()), 0, fx_reference::Gargle(ToSignal(s), kRate, 150, true));
    gargle->Release();
}

TEST_F(DirectSoundFx, EchoRepeatsEveryHalfSecondAtHalfTheLevel) {
    auto s = Burst(kRate * 7 / 4);
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_ECHO}), DS_OK);
    ExpectMatches(PlayOnce(b, s.size()), 0, fx_reference::Echo(ToSignal(s), kRate, 50, 50, 500));
}

TEST_F(DirectSoundFx, EchoWithPanDelayCrossesSidesWithEachRepeat) {
    // Left loud, right silent: every other repeat appears on the right.
    std::vector<int16_t> s(size_t(kRate) * 2, 0);
    auto burst = Pattern(kRate / 10, 3);
    for (size_t i = 0; i < burst.size(); ++i) s[2 * i] = burst[i];
    IDirectSoundBuffer8* b = Buffer(s, 2);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_ECHO}), DS_OK);
    auto* echo = Params<IDirectSoundFXEcho8>(b, GUID_DSFX_STANDARD_ECHO, IID_IDirectSoundFXEcho8);
    ASSERT_NE(echo, nullptr);
    DSFXEcho p{40, 70, 150, 230, 1};
    ASSERT_EQ(echo->SetAllParameters(&p), DS_OK);
    Signal l, r;
    fx_reference::EchoPanned(ToSignal(s, 2, 0), ToSignal(s, 2, 1), kRate, 40, 70, 150, 230, &l, &r);
    Mix mix = PlayOnce(b, kRate);
    ExpectMatches(mix, 0, l);
    ExpectMatches(mix, 1, r);
    EXPECT_GT(mix.Rms(1, 0, kRate), 300);  // the right side did get its crossed repeats
    echo->Release();
}

TEST_F(DirectSoundFx, CompressorFollowsItsCurveAndHoldsALoudToneAtTheExpectedGain) {
    // Quiet, then a loud square wave at -6 dB full scale, then quiet again.
    std::vector<int16_t> s(size_t(kRate), 0);
    for (size_t i = 0; i < s.size(); ++i) {
        double level = (i >= kRate / 4 && i < kRate * 3 / 4) ? 0.5 : 0.05;
        s[i] = int16_t(std::lround(level * 32768 * ((i / 50) % 2 ? 1 : -1)));
    }
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_COMPRESSOR}), DS_OK);
    Mix mix = PlayOnce(b, s.size());
    ExpectMatches(mix, 0, fx_reference::Compressor(ToSignal(s), kRate, {0, 10, 200, -20, 3, 4}));
    // Settled on -6 dB: 14 dB over the threshold come out as 14 / 3, so the tone
    // is 9.33 dB quieter; the quiet part (-26 dB) is left alone once released.
    double loud = mix.Peak(kRate * 3 / 5, kRate * 3 / 4 - 10) / 32768.0;
    EXPECT_NEAR(20 * std::log10(loud), -6.0 - 14.0 * 2 / 3, 0.1);
    double quiet = mix.Peak(kRate / 10, kRate / 4) / 32768.0;
    EXPECT_NEAR(20 * std::log10(quiet), 20 * std::log10(0.05), 0.1);
}

TEST_F(DirectSoundFx, ParamEqBoostsItsCentreByItsGainAfterSetAllParameters) {
    auto s = Burst(kRate / 2);
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_PARAMEQ}), DS_OK);
    auto* eq = Params<IDirectSoundFXParamEq8>(b, GUID_DSFX_STANDARD_PARAMEQ, IID_IDirectSoundFXParamEq8);
    ASSERT_NE(eq, nullptr);
    DSFXParamEq p{1000, 6, 9};
    ASSERT_EQ(eq->SetAllParameters(&p), DS_OK);
    ExpectMatches(PlayOnce(b, s.size()), 0,
                  fx_reference::Peaking(kRate, 1000, 0.5, 9).Run(ToSignal(s)));

    // A steady tone at the centre comes out 9 dB louder; two octaves up, nearly as it went.
    auto levelOf = [&](double hz) {
        auto tone = Sine(kRate / 2, hz, kRate, 3000);
        IDirectSoundBuffer8* t = Buffer(tone);
        EXPECT_EQ(SetFx(t, {&GUID_DSFX_STANDARD_PARAMEQ}), DS_OK);
        auto* teq = Params<IDirectSoundFXParamEq8>(t, GUID_DSFX_STANDARD_PARAMEQ, IID_IDirectSoundFXParamEq8);
        teq->SetAllParameters(&p);
        teq->Release();
        Mix m = PlayOnce(t, tone.size());
        return 20 * std::log10(m.Rms(0, kRate / 4, kRate / 2) / (3000 / std::sqrt(2.0)));
    };
    EXPECT_NEAR(levelOf(1000), 9.0, 0.1);
    EXPECT_NEAR(levelOf(4000), 0.0, 0.5);
    eq->Release();
}

TEST_F(DirectSoundFx, DistortionFiltersBendsAndAttenuatesAsItsDefaultsSay) {
    auto s = Burst(kRate / 2);
    for (auto& v : s) v = int16_t(std::clamp(v * 2, -32767, 32767));  // drive it harder
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_DISTORTION}), DS_OK);
    ExpectMatches(PlayOnce(b, s.size()), 0,
                  fx_reference::Distortion(ToSignal(s), kRate, -18, 15, 2400, 2400, 8000));
    // The curve itself: its slope at silence is 1 + k, and it ends at full scale.
    EXPECT_NEAR(fx_reference::DistortionCurve(1.0, 15), 1.0, 1e-12);
    EXPECT_GT(fx_reference::DistortionCurve(0.01, 15) / 0.01, 1.5);
}

TEST_F(DirectSoundFx, ChorusAndFlangerSweepTheirDelayAtTheirRateAndDepth) {
    auto s = Burst(kRate, kRate);
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_CHORUS}), DS_OK);
    ExpectMatches(PlayOnce(b, s.size()), 0,
                  fx_reference::Sweep(ToSignal(s), kRate, {50, 10, 25, 1.1, true, 16, 90}));

    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_FLANGER}), DS_OK);
    ExpectMatches(PlayOnce(b, s.size()), 0,
                  fx_reference::Sweep(ToSignal(s), kRate, {50, 100, -50, 0.25, true, 2, 0}));

    // A triangle sweep, deep and fast, with the right side a quarter turn behind.
    std::vector<int16_t> st(s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) st[2 * i] = st[2 * i + 1] = s[i];
    IDirectSoundBuffer8* b2 = Buffer(st, 2);
    ASSERT_EQ(SetFx(b2, {&GUID_DSFX_STANDARD_FLANGER}), DS_OK);
    auto* flanger = Params<IDirectSoundFXFlanger8>(b2, GUID_DSFX_STANDARD_FLANGER, IID_IDirectSoundFXFlanger8);
    ASSERT_NE(flanger, nullptr);
    DSFXFlanger p{70, 80, 40, 7.5f, DSFXFLANGER_WAVE_TRIANGLE, 3.5f, DSFXFLANGER_PHASE_NEG_90};
    ASSERT_EQ(flanger->SetAllParameters(&p), DS_OK);
    fx_reference::SweepSettings ref{70, 80, 40, 7.5, false, 3.5, 0};
    Mix mix = PlayOnce(b2, s.size());
    ExpectMatches(mix, 0, fx_reference::Sweep(ToSignal(s), kRate, ref));
    ExpectMatches(mix, 1, fx_reference::Sweep(ToSignal(s), kRate, ref, -90));
    flanger->Release();
}

TEST_F(DirectSoundFx, EffectsRunInSeriesInTheOrderGivenWithNoLimitOfFour) {
    auto s = Burst(kRate * 3 / 2);
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_GARGLE, &GUID_DSFX_STANDARD_ECHO}), DS_OK);
    Signal x = ToSignal(s);
    ExpectMatches(PlayOnce(b, s.size()), 0,
                  fx_reference::Echo(fx_reference::Gargle(x, kRate, 20, false), kRate, 50, 50, 500));

    // Six in a row, two of them the same class, each reached by its own index.
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_PARAMEQ, &GUID_DSFX_STANDARD_COMPRESSOR,
                        &GUID_DSFX_STANDARD_GARGLE, &GUID_DSFX_STANDARD_PARAMEQ,
                        &GUID_DSFX_STANDARD_CHORUS, &GUID_DSFX_STANDARD_ECHO}),
              DS_OK);
    DSFXParamEq low{300, 12, 10}, high{5000, 24, -12};
    auto* eq0 = Params<IDirectSoundFXParamEq8>(b, GUID_DSFX_STANDARD_PARAMEQ, IID_IDirectSoundFXParamEq8, 0);
    auto* eq1 = Params<IDirectSoundFXParamEq8>(b, GUID_All_Objects, IID_IDirectSoundFXParamEq8, 3);
    ASSERT_TRUE(eq0 && eq1);
    ASSERT_EQ(eq0->SetAllParameters(&low), DS_OK);
    ASSERT_EQ(eq1->SetAllParameters(&high), DS_OK);
    Signal y = fx_reference::Peaking(kRate, 300, 1, 10).Run(x);
    y = fx_reference::Compressor(y, kRate, {0, 10, 200, -20, 3, 4});
    y = fx_reference::Gargle(y, kRate, 20, false);
    y = fx_reference::Peaking(kRate, 5000, 2, -12).Run(y);
    y = fx_reference::Sweep(y, kRate, {50, 10, 25, 1.1, true, 16, 90});
    y = fx_reference::Echo(y, kRate, 50, 50, 500);
    ExpectMatches(PlayOnce(b, s.size()), 0, y);
    eq0->Release();
    eq1->Release();
}

TEST_F(DirectSoundFx, ALoopingBufferCarriesTheEffectStateAcrossItsEnd) {
    // A 0.2 s loop under a 0.5 s echo: the echoes reach over several turns.
    auto s = Pattern(kRate / 5, 11);
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_ECHO, &GUID_DSFX_STANDARD_COMPRESSOR}), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix mix = Render(kRate * 3 / 2);
    b->Stop();
    Signal x(kRate * 3 / 2);
    for (size_t i = 0; i < x.size(); ++i) x[i] = s[i % s.size()] / 32768.0;
    Signal y = fx_reference::Echo(x, kRate, 50, 50, 500);
    ExpectMatches(mix, 0, fx_reference::Compressor(y, kRate, {0, 10, 200, -20, 3, 4}));
}

// ---- parameter interfaces ------------------------------------------------------------

TEST_F(DirectSoundFx, GetObjectInPathFindsEachEffectByClassOrIndexAndChecksTheInterface) {
    IDirectSoundBuffer8* b = Buffer(Burst(kRate / 5));
    EXPECT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_ECHO, &GUID_DSFX_WAVES_REVERB, &GUID_DSFX_STANDARD_ECHO}), DS_OK);
    void* p = nullptr;
    EXPECT_EQ(b->GetObjectInPath(GUID_DSFX_STANDARD_ECHO, 1, IID_IDirectSoundFXEcho8, &p), DS_OK);
    auto* second = static_cast<IDirectSoundFXEcho8*>(p);
    EXPECT_EQ(b->GetObjectInPath(GUID_All_Objects, 2, IID_IDirectSoundFXEcho8, &p), DS_OK);
    EXPECT_EQ(p, second);  // the same object, by class or by position
    static_cast<IUnknown*>(p)->Release();
    EXPECT_EQ(b->GetObjectInPath(GUID_All_Objects, 1, IID_IDirectSoundFXWavesReverb8, &p), DS_OK);
    static_cast<IUnknown*>(p)->Release();

    EXPECT_EQ(b->GetObjectInPath(GUID_DSFX_STANDARD_ECHO, 0, IID_IDirectSoundFXGargle8, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(b->GetObjectInPath(GUID_DSFX_STANDARD_ECHO, 2, IID_IDirectSoundFXEcho8, &p), DSERR_OBJECTNOTFOUND);
    EXPECT_EQ(b->GetObjectInPath(GUID_DSFX_STANDARD_GARGLE, 0, IID_IDirectSoundFXGargle8, &p), DSERR_OBJECTNOTFOUND);
    EXPECT_EQ(b->GetObjectInPath(GUID_All_Objects, 3, IID_IUnknown, &p), DSERR_OBJECTNOTFOUND);

    // The interface outlives the effect's removal and the buffer: it keeps its
    // parameters and takes new ones, it just is no longer heard.
    ASSERT_EQ(b->SetFX(0, nullptr, nullptr), DS_OK);
    EXPECT_EQ(b->GetObjectInPath(GUID_All_Objects, 0, IID_IUnknown, &p), DSERR_OBJECTNOTFOUND);
    DSFXEcho e{};
    EXPECT_EQ(second->GetAllParameters(&e), DS_OK);
    EXPECT_EQ(e.fLeftDelay, 500.0f);
    e.fFeedback = 20;
    EXPECT_EQ(second->SetAllParameters(&e), DS_OK);
    second->Release();
}

TEST_F(DirectSoundFx, EveryEffectStartsAtItsDocumentedDefaults) {
    IDirectSoundBuffer8* b = Buffer(Burst(kRate / 5));
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_GARGLE, &GUID_DSFX_STANDARD_CHORUS, &GUID_DSFX_STANDARD_FLANGER,
                        &GUID_DSFX_STANDARD_ECHO, &GUID_DSFX_STANDARD_DISTORTION,
                        &GUID_DSFX_STANDARD_COMPRESSOR, &GUID_DSFX_STANDARD_PARAMEQ,
                        &GUID_DSFX_WAVES_REVERB, &GUID_DSFX_STANDARD_I3DL2REVERB}),
              DS_OK);
    auto get = [&](int i, const IID& iid, auto* params) {
        using Params = std::remove_pointer_t<decltype(params)>;
        void* fx = nullptr;
        ASSERT_EQ(b->GetObjectInPath(GUID_All_Objects, DWORD(i), iid, &fx), DS_OK);
        HRESULT hr = E_FAIL;
        if constexpr (std::is_same_v<Params, DSFXGargle>) hr = static_cast<IDirectSoundFXGargle8*>(fx)->GetAllParameters(params);
        if constexpr (std::is_same_v<Params, DSFXChorus>) hr = static_cast<IDirectSoundFXChorus8*>(fx)->GetAllParameters(params);
        if constexpr (std::is_same_v<Params, DSFXFlanger>) hr = static_cast<IDirectSoundFXFlanger8*>(fx)->GetAllParameters(params);
        if constexpr (std::is_same_v<Params, DSFXEcho>) hr = static_cast<IDirectSoundFXEcho8*>(fx)->GetAllParameters(params);
        if constexpr (std::is_same_v<Params, DSFXDistortion>) hr = static_cast<IDirectSoundFXDistortion8*>(fx)->GetAllParameters(params);
        if constexpr (std::is_same_v<Params, DSFXCompressor>) hr = static_cast<IDirectSoundFXCompressor8*>(fx)->GetAllParameters(params);
        if constexpr (std::is_same_v<Params, DSFXParamEq>) hr = static_cast<IDirectSoundFXParamEq8*>(fx)->GetAllParameters(params);
        if constexpr (std::is_same_v<Params, DSFXWavesReverb>) hr = static_cast<IDirectSoundFXWavesReverb8*>(fx)->GetAllParameters(params);
        if constexpr (std::is_same_v<Params, DSFXI3DL2Reverb>) hr = static_cast<IDirectSoundFXI3DL2Reverb8*>(fx)->GetAllParameters(params);
        EXPECT_EQ(hr, DS_OK);
        static_cast<IUnknown*>(fx)->Release();
    };
    DSFXGargle g{};
    get(0, IID_IDirectSoundFXGargle8, &g);
    EXPECT_EQ(g.dwRateHz, 20u);
    EXPECT_EQ(g.dwWaveShape, DWORD(DSFXGARGLE_WAVE_TRIANGLE));
    DSFXChorus c{};
    get(1, IID_IDirectSoundFXChorus8, &c);
    EXPECT_EQ(std::vector<float>({c.fWetDryMix, c.fDepth, c.fFeedback, c.fFrequency, c.fDelay}),
              std::vector<float>({50, 10, 25, 1.1f, 16}));
    EXPECT_EQ(c.lWaveform, DSFXCHORUS_WAVE_SIN);
    EXPECT_EQ(c.lPhase, DSFXCHORUS_PHASE_90);
    DSFXFlanger f{};
    get(2, IID_IDirectSoundFXFlanger8, &f);
    EXPECT_EQ(std::vector<float>({f.fWetDryMix, f.fDepth, f.fFeedback, f.fFrequency, f.fDelay}),
              std::vector<float>({50, 100, -50, 0.25f, 2}));
    EXPECT_EQ(f.lPhase, DSFXFLANGER_PHASE_ZERO);
    DSFXEcho e{};
    get(3, IID_IDirectSoundFXEcho8, &e);
    EXPECT_EQ(std::vector<float>({e.fWetDryMix, e.fFeedback, e.fLeftDelay, e.fRightDelay}),
              std::vector<float>({50, 50, 500, 500}));
    EXPECT_EQ(e.lPanDelay, 0);
    DSFXDistortion d{};
    get(4, IID_IDirectSoundFXDistortion8, &d);
    EXPECT_EQ(std::vector<float>({d.fGain, d.fEdge, d.fPostEQCenterFrequency, d.fPostEQBandwidth,
                                  d.fPreLowpassCutoff}),
              std::vector<float>({-18, 15, 2400, 2400, 8000}));
    DSFXCompressor k{};
    get(5, IID_IDirectSoundFXCompressor8, &k);
    EXPECT_EQ(std::vector<float>({k.fGain, k.fAttack, k.fRelease, k.fThreshold, k.fRatio, k.fPredelay}),
              std::vector<float>({0, 10, 200, -20, 3, 4}));
    DSFXParamEq q{};
    get(6, IID_IDirectSoundFXParamEq8, &q);
    EXPECT_EQ(std::vector<float>({q.fCenter, q.fBandwidth, q.fGain}), std::vector<float>({8000, 12, 0}));
    DSFXWavesReverb w{};
    get(7, IID_IDirectSoundFXWavesReverb8, &w);
    EXPECT_EQ(std::vector<float>({w.fInGain, w.fReverbMix, w.fReverbTime, w.fHighFreqRTRatio}),
              std::vector<float>({0, 0, 1000, 0.001f}));
    DSFXI3DL2Reverb r{};
    get(8, IID_IDirectSoundFXI3DL2Reverb8, &r);
    EXPECT_EQ(std::vector<LONG>({r.lRoom, r.lRoomHF, r.lReflections, r.lReverb}),
              std::vector<LONG>({-1000, -100, -2602, 200}));
    EXPECT_EQ(std::vector<float>({r.flRoomRolloffFactor, r.flDecayTime, r.flDecayHFRatio, r.flReflectionsDelay,
                                  r.flReverbDelay, r.flDiffusion, r.flDensity, r.flHFReference}),
              std::vector<float>({0, 1.49f, 0.83f, 0.007f, 0.011f, 100, 100, 5000}));
}

TEST_F(DirectSoundFx, OutOfRangeParametersAreRefusedAndChangeNothing) {
    IDirectSoundBuffer8* b = Buffer(Burst(kRate / 5));
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_GARGLE, &GUID_DSFX_STANDARD_COMPRESSOR,
                        &GUID_DSFX_STANDARD_I3DL2REVERB, &GUID_DSFX_WAVES_REVERB}),
              DS_OK);
    auto* gargle = Params<IDirectSoundFXGargle8>(b, GUID_All_Objects, IID_IDirectSoundFXGargle8, 0);
    auto* comp = Params<IDirectSoundFXCompressor8>(b, GUID_All_Objects, IID_IDirectSoundFXCompressor8, 1);
    auto* i3dl2 = Params<IDirectSoundFXI3DL2Reverb8>(b, GUID_All_Objects, IID_IDirectSoundFXI3DL2Reverb8, 2);
    auto* waves = Params<IDirectSoundFXWavesReverb8>(b, GUID_All_Objects, IID_IDirectSoundFXWavesReverb8, 3);
    ASSERT_TRUE(gargle && comp && i3dl2 && waves);

    for (DSFXGargle bad : {DSFXGargle{0, 0}, DSFXGargle{1001, 0}, DSFXGargle{20, 2}})
        EXPECT_EQ(gargle->SetAllParameters(&bad), E_INVALIDARG) << bad.dwRateHz << " " << bad.dwWaveShape;
    EXPECT_EQ(gargle->SetAllParameters(nullptr), E_INVALIDARG);
    DSFXGargle g{};
    gargle->GetAllParameters(&g);
    EXPECT_EQ(g.dwRateHz, 20u);

    DSFXCompressor edge{60, 0.01f, 3000, -60, 100, 0};  // every field at an end of its range
    EXPECT_EQ(comp->SetAllParameters(&edge), DS_OK);
    const float nan = std::nanf("");
    for (DSFXCompressor bad : {DSFXCompressor{60.5f, 10, 200, -20, 3, 4}, DSFXCompressor{0, 0.001f, 200, -20, 3, 4},
                               DSFXCompressor{0, 10, 49, -20, 3, 4}, DSFXCompressor{0, 10, 200, 0.5f, 3, 4},
                               DSFXCompressor{0, 10, 200, -20, 0.5f, 4}, DSFXCompressor{0, 10, 200, -20, 3, nan}})
        EXPECT_EQ(comp->SetAllParameters(&bad), E_INVALIDARG);
    DSFXCompressor k{};
    comp->GetAllParameters(&k);
    EXPECT_EQ(std::memcmp(&k, &edge, sizeof k), 0);

    DSFXI3DL2Reverb r{};
    i3dl2->GetAllParameters(&r);
    r.flDecayTime = 25;
    EXPECT_EQ(i3dl2->SetAllParameters(&r), E_INVALIDARG);
    EXPECT_EQ(i3dl2->SetQuality(4), E_INVALIDARG);
    EXPECT_EQ(i3dl2->SetQuality(3), DS_OK);
    LONG quality = 0;
    i3dl2->GetQuality(&quality);
    EXPECT_EQ(quality, 3);
    DSFXWavesReverb w{0, 0, 1000, 1.0f};
    EXPECT_EQ(waves->SetAllParameters(&w), E_INVALIDARG);

    gargle->Release();
    comp->Release();
    i3dl2->Release();
    waves->Release();
}

}  // namespace

// ---- the reverbs (on EFX: their characteristics) -------------------------------------

class DirectSoundReverb : public DirectSoundFx {
protected:
    // The tail of a 0.1 s burst through a Waves reverb with these parameters.
    Mix Tail(const DSFXWavesReverb& p) {
        auto s = Burst(kRate * 2, kRate / 10);
        IDirectSoundBuffer8* b = Buffer(s);
        EXPECT_EQ(SetFx(b, {&GUID_DSFX_WAVES_REVERB}), DS_OK);
        auto* waves = Params<IDirectSoundFXWavesReverb8>(b, GUID_DSFX_WAVES_REVERB, IID_IDirectSoundFXWavesReverb8);
        EXPECT_EQ(waves->SetAllParameters(&p), DS_OK);
        waves->Release();
        return PlayOnce(b, s.size());
    }
    static double Db(double x) { return 20 * std::log10(std::max(x, 1e-9)); }
    // How fast the tail falls, in dB per second, between 0.25 s and 0.55 s.
    static double FallPerSecond(const Mix& m) {
        return (Db(m.Rms(0, kRate / 4, kRate * 3 / 10)) - Db(m.Rms(0, kRate / 2, kRate * 11 / 20))) / 0.3;
    }
    // The share of the tail's energy above a first difference (treble-weighted).
    static double Brightness(const Mix& m) {
        double all = 0, diff = 0;
        for (size_t i = kRate / 5; i < size_t(kRate) * 2 / 5; ++i) {
            all += double(m.L(i)) * m.L(i);
            double d = double(m.L(i)) - m.L(i - 1);
            diff += d * d;
        }
        return diff / std::max(all, 1.0);
    }
};

TEST_F(DirectSoundReverb, WavesReverbDecaysInItsReverbTimeWithItsTrebleShortened) {
    Mix second = Tail({0, 0, 1000, 0.5f});
    Mix half = Tail({0, 0, 500, 0.5f});
    // 60 dB over the reverb time.
    EXPECT_NEAR(FallPerSecond(second), 60.0, 15.0);
    EXPECT_NEAR(FallPerSecond(half), 120.0, 30.0);

    Mix dull = Tail({0, 0, 1000, DSFX_WAVESREVERB_HIGHFREQRTRATIO_DEFAULT});
    Mix bright = Tail({0, 0, 1000, 0.999f});
    EXPECT_LT(Brightness(dull), Brightness(bright) / 4);
    // The reverb mix turns the tail down by as much, the dry burst not at all.
    Mix quiet = Tail({0, -12, 1000, 0.5f});
    EXPECT_NEAR(Db(quiet.Rms(0, kRate / 4, kRate / 2)) - Db(second.Rms(0, kRate / 4, kRate / 2)), -12.0, 1.0);
    EXPECT_NEAR(Db(quiet.Rms(0, 0, kRate / 20)), Db(second.Rms(0, 0, kRate / 20)), 1.0);
}

TEST_F(DirectSoundReverb, I3DL2ReverbDecaysInItsDecayTimeAndTakesNewParameters) {
    auto s = Burst(kRate * 2, kRate / 10);
    IDirectSoundBuffer8* b = Buffer(s);
    ASSERT_EQ(SetFx(b, {&GUID_DSFX_STANDARD_I3DL2REVERB}), DS_OK);
    auto* i3dl2 = Params<IDirectSoundFXI3DL2Reverb8>(b, GUID_DSFX_STANDARD_I3DL2REVERB,
                                                     IID_IDirectSoundFXI3DL2Reverb8);
    ASSERT_NE(i3dl2, nullptr);
    DSFXI3DL2Reverb p{};
    i3dl2->GetAllParameters(&p);
    Mix standard = PlayOnce(b, s.size());
    EXPECT_NEAR(FallPerSecond(standard), 60.0 / 1.49, 12.0);
    p.flDecayTime = 0.6f;
    p.flDecayHFRatio = 0.1f;  // a treble decay OpenAL Soft 1.19 cannot set up as such
    ASSERT_EQ(i3dl2->SetAllParameters(&p), DS_OK);
    Render(kRate);
    Mix shorter = PlayOnce(b, s.size());
    EXPECT_NEAR(FallPerSecond(shorter), 60.0 / 0.6, 25.0);
    i3dl2->Release();
}
