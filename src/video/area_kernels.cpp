#include "video/area_kernels.h"

namespace zq48 {

const AreaKernels* AreaKernelsFor(SimdLevel level) {
#if defined(__x86_64__)
  switch (level) {
    case SimdLevel::kScalar:
      return nullptr;
    case SimdLevel::kSse2:
      return Sse2AreaKernels();
    case SimdLevel::kAvx2:
      return Avx2AreaKernels();
  }
#endif
  (void)level;
  return nullptr;
}

}  // namespace zq48
