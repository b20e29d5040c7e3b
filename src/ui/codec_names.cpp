#include "ui/codec_names.h"

#include <array>
#include <cctype>
#include <utility>

namespace zq48 {

namespace {

struct VideoCodec {
  const char* code;
  const char* name;
};

constexpr VideoCodec kVideoCodecs[] = {
    {"VCR1", "ATI video 1"},
    {"VCR2", "ATI video 2"},
    {"TR20", "Duck TrueMotion 2.0"},
    {"dvsd", "DV"},
    {"HFYU", "Huffyuv"},
    {"I263", "Intel H.263"},
    {"I420", "LifeView YUV12 codec"},
    {"IR21", "Indeo Video 2.1"},
    {"IV31", "Indeo Video 3.1"},
    {"IV32", "Indeo Video 3.2"},
    {"IV41", "Indeo Video 4.1"},
    {"IV50", "Indeo Video 5.x"},
    {"UCOD", "Iterated Systems' ClearVideo"},
    {"mjpg", "Motion JPEG"},
    {"MJPG", "Motion JPEG"},
    {"dmb1", "Motion JPEG (Matrox)"},
    {"MPG4", "Microsoft High-Speed MPEG-4 "},
    {"MP42", "Microsoft High-Speed MPEG-4 V2"},
    {"MP43", "Microsoft High-Speed MPEG-4 V3"},
    {"DIV3", "DivX MPEG-4 Low-Motion"},
    {"DIV4", "DivX MPEG-4 Fast-Motion"},
    {"AP41", "DivX MPEG-4 AngelPotion Definitive"},
    {"MRLE", "Microsoft RLE"},
    {"MSVC", "Microsoft Video 1"},
    {"CRAM", "Microsoft Video 1"},
    {"DIVX", "DivX 4+"},
    {"CVID", "Radius Cinepak"},
    {"VIVO", "VivoActive"},
    {"vifp", "VFAPI reader codec"},
    {"VDST", "VirtualDub frameclient driver"},
};

constexpr std::pair<std::uint16_t, const char*> kAudioCodecs[] = {
    {0x0001, "PCM (Uncompressed)"},
    {0x0000, "Microsoft Corporation UNKNOWN"},
    {0x0002, "Microsoft Corporation ADPCM"},
    {0x0003, "Microsoft Corporation IEEE754"},
    {0x0005, "IBM Corporation CVSD"},
    {0x0006, "Microsoft Corporation ALAW"},
    {0x0007, "Microsoft Corporation MULAW"},
    {0x0010, "OKI"},
    {0x0011, "Intel Corporation ADPCM"},
    {0x0012, "Videologic"},
    {0x0013, "Sierra Semiconductor Corp"},
    {0x0014, "Antex Electronics Corporation"},
    {0x0015, "DSP Solutions, Inc."},
    {0x0016, "DSP Solutions, Inc."},
    {0x0017, "Dialogic Corporation"},
    {0x0018, "Media Vision, Inc."},
    {0x0020, "Yamaha Corporation of America"},
    {0x0021, "Speech Compression"},
    {0x0022, "DSP Group, Inc."},
    {0x0023, "Echo Speech Corporation"},
    {0x0025, "Audio Processing Technology"},
    {0x0030, "Dolby Laboratories"},
    {0x0031, "Microsoft Corporation GSM610"},
    {0x0032, "Microsoft Corporation MSN"},
    {0x0033, "Antex Electronics Corporation"},
    {0x0034, "Control Resources Limited"},
    {0x0035, "DSP Solutions, Inc."},
    {0x0036, "DSP Solutions, Inc."},
    {0x0037, "Control Resources Limited"},
    {0x0038, "Natural MicroSystems"},
    {0x0039, "Crystal Semiconductor IMA ADPCM"},
    {0x003A, "Echo Speech Corporation"},
    {0x003B, "Rockwell International ADPCM"},
    {0x003C, "Rockwell International DIGITALK"},
    {0x003D, "Xebec Multimedia Solutions Limited"},
    {0x0040, "Antex Electronics Corporation G721"},
    {0x0041, "Antex Electronics Corporation G728"},
    {0x0050, "Microsoft Corporation MPEG"},
    {0x0055, "ISO/MPEG Layer3 Format Tag"},
    {0x0060, "Cirrus Logic"},
    {0x0061, "ESS Technology"},
    {0x0062, "Voxware Inc."},
    {0x0063, "Canopus, co., Ltd."},
    {0x0064, "APICOM G726"},
    {0x0065, "APICOM G722"},
    {0x0066, "Microsoft Corporation DSAT"},
    {0x0067, "Microsoft Corporation DSAT"},
    {0x0080, "Softsound, Ltd."},
    {0x0100, "Rhetorex Inc."},
    {0x0200, "Creative Labs, Inc."},
    {0x0202, "Creative Labs, Inc. FASTSPEECH8"},
    {0x0203, "Creative Labs, Inc. FASTSPEECH10"},
    {0x0220, "Quarterdeck Corporation"},
    {0x0300, "Fujitsu Corp."},
    {0x0400, "Brooktree Corporation"},
    {0x1000, "Ing C. Olivetti & C., S.p.A. OLIGSM"},
    {0x1001, "Ing C. Olivetti & C., S.p.A. OLIADPCM"},
    {0x1002, "Ing C. Olivetti & C., S.p.A. OLICELP"},
    {0x1003, "Ing C. Olivetti & C., S.p.A. OLISBC"},
    {0x1004, "Ing C. Olivetti & C., S.p.A. OLIOPR"},
    {0x1100, "Lernout & Hauspie"},
    {0x1400, "Norris Communications, Inc."},
    {0xFFFF, "WAVE_FORMAT_DEVELOPMENT"},
};

// Codes are written by encoders in any case for their first letters; the
// fourth character often carries a version or variant and stays as it is.
std::string Normalised(const std::string& code) {
  std::string out = code;
  for (std::size_t i = 0; i < out.size() && i < 3; ++i)
    out[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[i])));
  return out;
}

}  // namespace

// Both sides are normalised, so that rows written in lower case ("dvsd",
// "vifp") can still be found.
std::string VideoCodecName(const std::string& fourcc) {
  if (fourcc.size() != 4) return {};
  const std::string code = Normalised(fourcc);
  for (const VideoCodec& row : kVideoCodecs)
    if (Normalised(row.code) == code) return row.name;
  return {};
}

std::string AudioCodecName(std::uint16_t formatTag) {
  for (const auto& [tag, name] : kAudioCodecs)
    if (tag == formatTag) return name;
  return {};
}

}  // namespace zq48
