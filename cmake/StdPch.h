// Standard headers precompiled for the library code that does not use Qt.
#pragma once
#ifdef __cplusplus
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#endif
