#include "support/stream_test_media.h"
