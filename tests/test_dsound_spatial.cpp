// The 3D listener and 3D buffers, and the standard effects, heard in the mix.
#include "dsound_fixture.h"

namespace {

class DirectSoundSpatial : public DirectSoundTest {
protected:
    void SetUp() override {
        DirectSoundTest::SetUp();
        DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRL3D,
                          0, 0, nullptr, GUID_NULL};
        ASSERT_EQ(ds->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
        buffers.push_back(primary);
        ASSERT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, (void**)&listener), S_OK);
    }
    void TearDown() override {
        if (listener) listener->Release();
        DirectSoundTest::TearDown();
    }
    // A looping mono tone with 3D control; its 3D interface in *out.
    IDirectSoundBuffer* Tone(IDirectSound3DBuffer** out) {
        IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(1, 44100, 16), Sine(4410, 500, 44100, 16000),
                                             DSBCAPS_CTRL3D);
        EXPECT_EQ(b->QueryInterface(IID_IDirectSound3DBuffer, (void**)out), S_OK);
        return b;
    }
    // Left and right loudness of the steady mix.
    std::pair<double, double> Loudness() {
        Render(2048);
        Mix mix = Render(4410);
        return {mix.Rms(0, 0, 4410), mix.Rms(1, 0, 4410)};
    }

    IDirectSoundBuffer* primary = nullptr;
    IDirectSound3DListener* listener = nullptr;
};

TEST_F(DirectSoundSpatial, SourceOnTheRightIsLouderOnTheRightAndFadesWithDistance) {
    IDirectSound3DBuffer* b3d = nullptr;
    IDirectSoundBuffer* b = Tone(&b3d);
    ASSERT_NE(b3d, nullptr);
    // The listener at the origin faces +z with +y up.
    listener->SetOrientation(0, 0, 1, 0, 1, 0, DS3D_IMMEDIATE);
    b->Play(0, 0, DSBPLAY_LOOPING);

    b3d->SetPosition(1, 0, 0, DS3D_IMMEDIATE);
    auto right = Loudness();
    EXPECT_GT(right.second, 2 * right.first);

    b3d->SetPosition(-1, 0, 0, DS3D_IMMEDIATE);
    auto left = Loudness();
    EXPECT_GT(left.first, 2 * left.second);

    // Ahead: balanced. Turning the listener round puts +x on the left.
    b3d->SetPosition(0, 0, 1, DS3D_IMMEDIATE);
    auto ahead = Loudness();
    EXPECT_NEAR(ahead.first, ahead.second, ahead.first * 0.05);
    b3d->SetPosition(1, 0, 0, DS3D_IMMEDIATE);
    listener->SetOrientation(0, 0, -1, 0, 1, 0, DS3D_IMMEDIATE);
    auto turned = Loudness();
    EXPECT_GT(turned.first, 2 * turned.second);
    listener->SetOrientation(0, 0, 1, 0, 1, 0, DS3D_IMMEDIATE);

    // Inside the minimum distance nothing fades; beyond it, 1/distance.
    b3d->SetPosition(0, 0, 1, DS3D_IMMEDIATE);
    double near = Loudness().first;
    b3d->SetPosition(0, 0, 4, DS3D_IMMEDIATE);
    double far = Loudness().first;
    EXPECT_NEAR(far / near, 0.25, 0.02);

    // Deferred settings wait for the commit.
    b3d->SetPosition(0, 0, 1, DS3D_DEFERRED);
    EXPECT_NEAR(Loudness().first, far, far * 0.05);
    ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
    EXPECT_NEAR(Loudness().first, near, near * 0.05);

    // The listener's own position counts too.
    listener->SetPosition(0, 0, -3, DS3D_IMMEDIATE);
    EXPECT_NEAR(Loudness().first / near, 0.25, 0.02);
    b3d->Release();
}

TEST_F(DirectSoundSpatial, ThreeDInterfacesExistOnlyWithThreeDControl) {
    IDirectSoundBuffer* flat = MakeBuffer16(PcmFormat(1, 44100, 16), Sine(4410, 500, 44100, 16000));
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(flat->QueryInterface(IID_IDirectSound3DBuffer, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    // A primary buffer made without 3D control has no listener.
    IDirectSoundBuffer* other = nullptr;
    IDirectSound8* ds2 = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds2, nullptr), DS_OK);
    ds2->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME, 0, 0, nullptr, GUID_NULL};
    ASSERT_EQ(ds2->CreateSoundBuffer(&desc, &other, nullptr), DS_OK);
    EXPECT_EQ(other->QueryInterface(IID_IDirectSound3DListener, &object), E_NOINTERFACE);
    // Its format is the one set, once the cooperative level allows it.
    WAVEFORMATEX f = PcmFormat(2, 44100, 16);
    ASSERT_EQ(other->SetFormat(&f), DS_OK);
    WAVEFORMATEX read{};
    DWORD written = 0;
    ASSERT_EQ(other->GetFormat(&read, sizeof read, &written), DS_OK);
    EXPECT_EQ(read.nSamplesPerSec, 44100u);
    EXPECT_EQ(read.nAvgBytesPerSec, 176400u);
    ds2->SetCooperativeLevel(nullptr, DSSCL_NORMAL);
    EXPECT_EQ(other->SetFormat(&f), DSERR_PRIOLEVELNEEDED);
    other->Release();
    ds2->Release();

    // The listener keeps what it was given and refuses what makes no sense.
    listener->SetDistanceFactor(2.5f, DS3D_IMMEDIATE);
    D3DVALUE factor = 0;
    listener->GetDistanceFactor(&factor);
    EXPECT_FLOAT_EQ(factor, 2.5f);
    EXPECT_EQ(listener->SetOrientation(0, 1, 0, 0, 1, 0, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
    EXPECT_EQ(listener->SetRolloffFactor(11.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
}

// ---- effects --------------------------------------------------------------------------

class DirectSoundEffects : public DirectSoundTest {
protected:
    // 0.3 s of a 300 Hz tone followed by silence, with effects control.
    IDirectSoundBuffer8* Voice() {
        auto s = Sine(44100 * 3 / 10, 300, 44100, 12000);
        s.resize(44100, 0);
        IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(1, 44100, 16), s, DSBCAPS_CTRLFX);
        IDirectSoundBuffer8* b8 = nullptr;
        EXPECT_EQ(b->QueryInterface(IID_IDirectSoundBuffer8, (void**)&b8), S_OK);
        b8->Release();  // the buffer list holds the reference
        return b8;
    }
    Mix PlayOnce(IDirectSoundBuffer8* b) {
        b->SetCurrentPosition(0);
        b->Play(0, 0, 0);
        Mix mix = Render(44100);
        b->Stop();
        Render(8192);  // let effect tails die away before the next run
        return mix;
    }
    static double Difference(const Mix& a, const Mix& b) {
        double sum = 0;
        for (size_t i = 0; i < a.samples.size(); ++i) {
            double d = double(a.samples[i]) - b.samples[i];
            sum += d * d;
        }
        return std::sqrt(sum / double(a.samples.size()));
    }
};

TEST_F(DirectSoundEffects, EachStandardEffectChangesTheSoundAndRemovingThemRestoresIt) {
    IDirectSoundBuffer8* b = Voice();
    Mix dry = PlayOnce(b);
    ASSERT_GT(dry.Rms(0, 0, 13000), 8000);

    const GUID* classes[] = {&GUID_DSFX_WAVES_REVERB,       &GUID_DSFX_STANDARD_I3DL2REVERB,
                             &GUID_DSFX_STANDARD_ECHO,      &GUID_DSFX_STANDARD_CHORUS,
                             &GUID_DSFX_STANDARD_FLANGER,   &GUID_DSFX_STANDARD_GARGLE,
                             &GUID_DSFX_STANDARD_COMPRESSOR, &GUID_DSFX_STANDARD_PARAMEQ,
                             &GUID_DSFX_STANDARD_DISTORTION};
    for (const GUID* effect : classes) {
        DSEFFECTDESC desc{sizeof(DSEFFECTDESC), 0, *effect, 0, 0};
        DWORD result = 99;
        ASSERT_EQ(b->SetFX(1, &desc, &result), DS_OK);
        EXPECT_EQ(result, DWORD(DSFXR_LOCSOFTWARE));
        Mix wet = PlayOnce(b);
        double change = Difference(wet, dry);
        // Every effect leaves a mark well above rounding; the parametric EQ at its
        // defaults (0 dB) is the gentlest, changing only the path's phase and level.
        EXPECT_GT(change, 300.0) << "effect " << (effect - classes[0]);
    }
    // Reverbs and echo leave a tail after the tone; the in-line effects do not.
    {
        DSEFFECTDESC desc{sizeof(DSEFFECTDESC), 0, GUID_DSFX_STANDARD_ECHO, 0, 0};
        b->SetFX(1, &desc, nullptr);
        Mix echo = PlayOnce(b);
        EXPECT_GT(echo.Rms(0, 13500, 30000), 500);
        EXPECT_LT(dry.Rms(0, 13500, 30000), 1);
    }
    ASSERT_EQ(b->SetFX(0, nullptr, nullptr), DS_OK);
    EXPECT_LT(Difference(PlayOnce(b), dry), 2.0);
}

TEST_F(DirectSoundEffects, EffectsNeedControlAStoppedBufferAndKnownClasses) {
    IDirectSoundBuffer8* b = Voice();
    DSEFFECTDESC echo{sizeof(DSEFFECTDESC), 0, GUID_DSFX_STANDARD_ECHO, 0, 0};
    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(b->SetFX(1, &echo, nullptr), DSERR_INVALIDCALL);
    b->Stop();
    DSEFFECTDESC unknown{sizeof(DSEFFECTDESC), 0, IID_IDirectSound, 0, 0};
    DSEFFECTDESC both[] = {echo, unknown};
    DWORD results[2] = {};
    EXPECT_EQ(b->SetFX(2, both, results), DSERR_INVALIDPARAM);
    EXPECT_EQ(results[0], DWORD(DSFXR_LOCSOFTWARE));
    EXPECT_EQ(results[1], DWORD(DSFXR_UNKNOWN));
    EXPECT_EQ(b->SetFX(1, nullptr, nullptr), DSERR_INVALIDPARAM);
    DSEFFECTDESC small = echo;
    small.dwSize = 8;
    EXPECT_EQ(b->SetFX(1, &small, nullptr), DSERR_INVALIDPARAM);
    small.dwSize = 32;  // the original platform's size
    EXPECT_EQ(b->SetFX(1, &small, nullptr), DS_OK);

    // Without effects control, no effects.
    IDirectSoundBuffer* plain = MakeBuffer16(PcmFormat(1, 44100, 16), Sine(441, 300, 44100, 1000));
    IDirectSoundBuffer8* plain8 = nullptr;
    ASSERT_EQ(plain->QueryInterface(IID_IDirectSoundBuffer8, (void**)&plain8), S_OK);
    EXPECT_EQ(plain8->SetFX(1, &echo, nullptr), DSERR_CONTROLUNAVAIL);
    plain8->Release();
}

TEST_F(DirectSoundEffects, ShortSoundsTakeEffectsUnlessTheOriginalMinimumIsEnforced) {
    WAVEFORMATEX f = PcmFormat(1, 44100, 16);
    DWORD shortBytes = 44100 * 2 / 10;  // 100 ms, under DSBSIZE_FX_MIN
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFX, shortBytes, 0, &f, GUID_NULL};
    IDirectSoundBuffer* b = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    b->Release();
    NolDirectSoundEnforceFxMinimum(true);
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BUFFERTOOSMALL);
    desc.dwBufferBytes = 44100 * 2 * 15 / 100;  // exactly 150 ms
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    b->Release();
    NolDirectSoundEnforceFxMinimum(false);
}

}  // namespace
