#pragma once
// Every Vorbis header the decoder takes in passes a guard first: the engine's link wraps
// the decoder's header intake (vorbis_synthesis_headerin), so each setup header of each
// link is read by the checker (format_oggvorbis_setup.h) before the decoder sees it. The
// decoder reads the headers of every link of a chained file while it opens, so checking
// the first link by hand beforehand would not do.
#include <cstdint>

#include "format_oggvorbis_setup.h"

// The most one link may cost the decoder, and the most links one file may chain (the
// decoder walks them recursively while it opens).
constexpr int64_t kVorbisMaxLinkBytes = int64_t{8} << 20;
constexpr int kVorbisMaxLinks = 1024;

// What a decoder opened on this thread may take while the guard lives: its links'
// headers and decode tables together within `allowance`, each link within what encoders
// write. Guards nest; a header taken in with no guard open gets one link's worth.
class VorbisHeaderGuard {
 public:
  explicit VorbisHeaderGuard(int64_t allowance);
  ~VorbisHeaderGuard();
  VorbisHeaderGuard(const VorbisHeaderGuard&) = delete;
  VorbisHeaderGuard& operator=(const VorbisHeaderGuard&) = delete;

  // What the headers taken in so far make the decoder hold, its decode tables included.
  int64_t Cost() const { return cost_; }
  // A header was turned away as more than encoders write (not as damaged, which the
  // decoder would have turned away itself), or as more than the allowance holds.
  bool Refused() const { return refused_; }
  bool OverAllowance() const { return overAllowance_; }

  // For the wrapped intake, on this thread's guard: whether a link's setup header, judged
  // `verdict` and costing `bytes`, may pass; whether another header costing `bytes` may.
  static bool AdmitLink(VorbisSetupVerdict verdict, int64_t bytes);
  static bool AdmitBytes(int64_t bytes);

 private:
  bool Take(int64_t bytes);

  int64_t allowance_;
  int64_t cost_ = 0;
  int links_ = 0;
  bool refused_ = false;
  bool overAllowance_ = false;
  VorbisHeaderGuard* outer_;
};
