// The decoder's header intake, wrapped at link time (the engine's link options name
// vorbis_synthesis_headerin), and the guard that weighs each header before it.
#include "format_oggvorbis_guard.h"

#include <tremor/ivorbiscodec.h>

namespace {

thread_local VorbisHeaderGuard* g_current = nullptr;

}  // namespace

VorbisHeaderGuard::VorbisHeaderGuard(int64_t allowance) : allowance_(allowance), outer_(g_current) {
  g_current = this;
}

VorbisHeaderGuard::~VorbisHeaderGuard() { g_current = outer_; }

bool VorbisHeaderGuard::Take(int64_t bytes) {
  if (bytes > allowance_ - cost_) {
    overAllowance_ = true;
    return false;
  }
  cost_ += bytes;
  return true;
}

bool VorbisHeaderGuard::AdmitLink(VorbisSetupVerdict verdict, int64_t bytes) {
  VorbisHeaderGuard* g = g_current;
  if (verdict == VorbisSetupVerdict::kMalformed) return false;
  if (verdict == VorbisSetupVerdict::kRefused || (g && ++g->links_ > kVorbisMaxLinks)) {
    if (g) g->refused_ = true;
    return false;
  }
  return !g || g->Take(bytes);
}

bool VorbisHeaderGuard::AdmitBytes(int64_t bytes) {
  if (!g_current) return bytes <= kVorbisMaxLinkBytes;
  return g_current->Take(bytes);
}

extern "C" {
int __real_vorbis_synthesis_headerin(vorbis_info* vi, vorbis_comment* vc, ogg_packet* op);

// Only the headers the decoder would go on to unpack are weighed (after the
// identification header, the comments; after those, the setup); it refuses the others
// itself. A refused header fails as a damaged one does: the decoder drops the link.
int __wrap_vorbis_synthesis_headerin(vorbis_info* vi, vorbis_comment* vc, ogg_packet* op) {
  if (vi && vc && op && op->packet && op->bytes > 0 && vi->rate != 0) {
    const size_t size = static_cast<size_t>(op->bytes);
    if (op->packet[0] == 5 && vc->vendor) {
      const VorbisStreamShape shape = {vi->channels, {vorbis_info_blocksize(vi, 0), vorbis_info_blocksize(vi, 1)}};
      VorbisSetupCost cost;
      const VorbisSetupVerdict verdict = VorbisSetup_Check(op->packet, size, shape, kVorbisMaxLinkBytes, &cost);
      if (!VorbisHeaderGuard::AdmitLink(verdict, cost.Heap())) return OV_EBADHEADER;
    } else if (op->packet[0] == 3 && !VorbisHeaderGuard::AdmitBytes(VorbisSetup_CommentBytes(op->packet, size))) {
      return OV_EBADHEADER;
    }
  }
  return __real_vorbis_synthesis_headerin(vi, vc, op);
}
}
