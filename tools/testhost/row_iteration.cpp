#include "tools/testhost/row_iteration.h"

namespace testhost {

int worker_count(int64_t rows, int threads)
{
    if (rows <= 0) return 1;
    int count = threads < 1 ? 1 : threads;
    return rows < count ? (int)rows : count;
}

}  // namespace testhost
