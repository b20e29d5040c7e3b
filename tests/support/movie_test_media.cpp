#include "support/movie_test_media.h"
