// The input selection on Wine's own mixer, and on simulated mixers for the layouts Wine
// does not have (sources with and without a microphone line, no mixer at all).
#include "InputMixer.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Source {
    std::wstring name;
    DWORD lineId;
    DWORD componentType;
    bool hasVolume;
};

// One simulated device with a recording line (id 100) and its controls.
struct SimulatedMixer {
    UINT devices = 2;
    bool openFails = false;
    bool hasRecordingLine = true;
    bool hasMux = true;
    bool hasMixer = false;
    std::vector<Source> sources;
    int opens = 0;
    int closes = 0;
} simulated;

HMIXER const kHandle = reinterpret_cast<HMIXER>(0x1234);
constexpr DWORD kRecordingLine = 100;
constexpr DWORD kSelectControl = 7;

UINT WINAPI NumDevs() { return simulated.devices; }
MMRESULT WINAPI Open(HMIXER* handle, UINT, DWORD_PTR, DWORD_PTR, DWORD) {
    if (simulated.openFails) return MMSYSERR_BADDEVICEID;
    ++simulated.opens;
    *handle = kHandle;
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI Close(HMIXER) {
    ++simulated.closes;
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI LineInfo(HMIXEROBJ, MIXERLINEW* line, DWORD flags) {
    if ((flags & MIXER_GETLINEINFOF_QUERYMASK) == MIXER_GETLINEINFOF_COMPONENTTYPE) {
        if (!simulated.hasRecordingLine || line->dwComponentType != MIXERLINE_COMPONENTTYPE_DST_WAVEIN)
            return MIXERR_INVALLINE;
        line->dwLineID = kRecordingLine;
        return MMSYSERR_NOERROR;
    }
    for (const Source& s : simulated.sources)
        if (s.lineId == line->dwLineID) {
            line->dwComponentType = s.componentType;
            return MMSYSERR_NOERROR;
        }
    return MIXERR_INVALLINE;
}
MMRESULT WINAPI LineControls(HMIXEROBJ, MIXERLINECONTROLSW* query, DWORD) {
    MIXERCONTROLW& control = *query->pamxctrl;
    control.dwControlType = query->dwControlType;
    if (query->dwLineID == kRecordingLine) {
        switch (query->dwControlType) {
            case MIXERCONTROL_CONTROLTYPE_VOLUME: control.dwControlID = 5; return MMSYSERR_NOERROR;
            case MIXERCONTROL_CONTROLTYPE_MUTE: control.dwControlID = 6; return MMSYSERR_NOERROR;
            case MIXERCONTROL_CONTROLTYPE_MUX:
            case MIXERCONTROL_CONTROLTYPE_MIXER:
                if (query->dwControlType == MIXERCONTROL_CONTROLTYPE_MUX ? !simulated.hasMux : !simulated.hasMixer) break;
                control.dwControlID = kSelectControl;
                control.cMultipleItems = static_cast<DWORD>(simulated.sources.size());
                return MMSYSERR_NOERROR;
        }
        return MIXERR_INVALCONTROL;
    }
    for (const Source& s : simulated.sources)
        if (s.lineId == query->dwLineID && s.hasVolume && query->dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME) {
            control.dwControlID = 1000 + s.lineId;
            return MMSYSERR_NOERROR;
        }
    return MIXERR_INVALCONTROL;
}
MMRESULT WINAPI ControlDetails(HMIXEROBJ, MIXERCONTROLDETAILS* details, DWORD flags) {
    if (details->dwControlID != kSelectControl || details->cMultipleItems != simulated.sources.size() ||
        (flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) != MIXER_GETCONTROLDETAILSF_LISTTEXT)
        return MMSYSERR_INVALPARAM;
    auto* items = static_cast<MIXERCONTROLDETAILS_LISTTEXTW*>(details->paDetails);
    for (size_t i = 0; i < simulated.sources.size(); ++i) {
        items[i].dwParam1 = simulated.sources[i].lineId;
        wcsncpy(items[i].szName, simulated.sources[i].name.c_str(), MIXER_LONG_NAME_CHARS);
    }
    return MMSYSERR_NOERROR;
}

const MixerApi kSimulatedApi = {NumDevs, Open, Close, LineInfo, LineControls, ControlDetails};

}  // namespace

TEST(InputMixer, WinesDeviceZeroIsSelectedAndItsMissingRecordingLineLeavesTheRecordEmpty) {
    InputMixer& mixer = InputMixer_Global();
    ASSERT_GE(mixer.DeviceCount(), 1);
    EXPECT_EQ(1, Recorder_SelectInputDevice(0));
    EXPECT_EQ(0, mixer.SelectedDevice());
    // Wine's mixer for the capture device has no wave-in destination line.
    EXPECT_EQ(nullptr, mixer.Mixer());
    EXPECT_FALSE(mixer.VolumeFound());
    EXPECT_FALSE(mixer.MuteFound());
    EXPECT_FALSE(mixer.SourceSelectFound());
    EXPECT_TRUE(mixer.SourceNames().empty());
    EXPECT_EQ(0, Recorder_SelectInputDevice(mixer.DeviceCount()));
}

TEST(InputMixer, SourcesMicrophoneAndFailures) {
    simulated.sources = {{L"Line In", 201, MIXERLINE_COMPONENTTYPE_SRC_LINE, true},
                         {L"Microphone", 202, MIXERLINE_COMPONENTTYPE_SRC_LINE, false}};
    InputMixer mixer(kSimulatedApi);
    EXPECT_EQ(2, mixer.DeviceCount());
    ASSERT_EQ(1, mixer.SelectInputDevice(1));
    EXPECT_EQ(kHandle, mixer.Mixer());
    EXPECT_TRUE(mixer.VolumeFound());
    EXPECT_EQ(6u, mixer.MuteControlId());
    ASSERT_TRUE(mixer.SourceSelectFound());
    EXPECT_EQ(InputMixer::kMultiplexer, mixer.SourceSelectKind());
    EXPECT_EQ(2u, mixer.SourceCount());
    EXPECT_STREQ(L"Line In", mixer.SourceNames()[0].szName);
    EXPECT_EQ((std::vector<int32_t>{1, 0}), mixer.SourceVolumeFound());
    EXPECT_EQ(1201u, mixer.SourceVolumes()[0].dwControlID);
    // No line typed as a microphone: found by name.
    EXPECT_EQ(1u, mixer.MicrophoneIndex());

    // A typed microphone line wins over the name; several: the last.
    simulated.sources = {{L"Mic", 301, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, true},
                         {L"Microphone", 302, MIXERLINE_COMPONENTTYPE_SRC_LINE, true},
                         {L"Headset", 303, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, true}};
    simulated.hasMux = false;
    simulated.hasMixer = true;
    ASSERT_EQ(1, mixer.SelectInputDevice(0));
    EXPECT_EQ(1, simulated.closes);
    EXPECT_EQ(InputMixer::kMixer, mixer.SourceSelectKind());
    EXPECT_EQ(2u, mixer.MicrophoneIndex());
    // No microphone at all: the first source.
    simulated.sources = {{L"Line In", 401, MIXERLINE_COMPONENTTYPE_SRC_LINE, true}};
    ASSERT_EQ(1, mixer.SelectInputDevice(0));
    EXPECT_EQ(0u, mixer.MicrophoneIndex());

    // No source-select control: no sources.
    simulated.hasMixer = false;
    ASSERT_EQ(1, mixer.SelectInputDevice(0));
    EXPECT_FALSE(mixer.SourceSelectFound());
    EXPECT_TRUE(mixer.SourceNames().empty());
    EXPECT_TRUE(mixer.VolumeFound());

    // An index equal to the count releases the mixer held and answers 0.
    const int closes = simulated.closes;
    EXPECT_EQ(0, mixer.SelectInputDevice(2));
    EXPECT_EQ(closes + 1, simulated.closes);
    EXPECT_EQ(nullptr, mixer.Mixer());
    EXPECT_EQ(0, mixer.SelectInputDevice(-1));

    // A device without a mixer, or without a recording line: still selectable, record empty.
    simulated.openFails = true;
    EXPECT_EQ(1, mixer.SelectInputDevice(1));
    EXPECT_EQ(1, mixer.SelectedDevice());
    EXPECT_EQ(nullptr, mixer.Mixer());
    EXPECT_FALSE(mixer.VolumeFound());
    simulated.openFails = false;
    simulated.hasRecordingLine = false;
    EXPECT_EQ(1, mixer.SelectInputDevice(1));
    EXPECT_EQ(nullptr, mixer.Mixer());
    EXPECT_EQ(simulated.opens, simulated.closes);
}
