// Widening on NEON: eight pixels a block in 16-bit lanes, which vst2
// interleaves as it stores.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h"

#include <arm_neon.h>

namespace {

struct NeonBlocks {
    using V = uint16x8_t;
    static constexpr int kLanes = 8;
    // NEON's own shifts: around the operators' GCC allocates one more register move a block.
    template <int n> static V Srl(V a) { return vshrq_n_u16(a, n); }
    template <int n> static V Sll(V a) { return vshlq_n_u16(a, n); }
    static V Load(const uint8_t* p) { return vreinterpretq_u16_u8(vld1q_u8(p)); }
    static void Store(uint8_t* p, V low, V high) {
        vst2q_u16(reinterpret_cast<uint16_t*>(p), uint16x8x2_t{{low, high}});
    }
};

} // namespace

extern const RowWidening g_neonWidening = WidenRows<NeonBlocks>::Widen;
