// The host vector: the host's record of services and state that the module
// reaches through the one address handed to mcn_main.
//
// On the 32-bit target every field is a 32-bit address; on a platform with
// wider addresses each field widens to an address-sized word and keeps its
// place, so a field's word index is its 32-bit byte offset divided by 4.
// The host state block is a byte array on every platform: the missing value
// stays at byte 368.
#pragma once

#include <cstdint>

// Host vector words.
constexpr int host_vector_service_table = 0;    // byte 0x00
constexpr int host_vector_condition_flags = 1;  // byte 0x04
constexpr int host_vector_state_block = 9;      // byte 0x24
constexpr int host_vector_allocator = 10;       // byte 0x28
constexpr int host_vector_words = 11;

// Service table words, and the service each group holds.
constexpr int service_table_group1 = 1;     // byte 0x04
constexpr int service_table_group2 = 30;    // byte 0x78
constexpr int service_table_words = 31;
constexpr int group1_math_error_service = 2;  // byte 0x08 of group 1
constexpr int group2_error_service = 4;       // byte 0x10 of group 2

// Allocator object: word 0 is the allocation function.
constexpr int allocator_function = 0;

// Host state block: the missing value's byte offset.
constexpr int state_block_missing_value = 368;  // 0x170
constexpr int state_block_bytes = 376;

// Conditions raised by the module (also the index of the flag byte set).
constexpr int32_t condition_math_error = 1;
constexpr int32_t condition_host_error = 30;
constexpr int32_t math_error_class = 2;
constexpr int32_t host_error_class = 4;
constexpr int32_t allocation_constant = 6;
constexpr int32_t error_detail_no_memory = 1016;  // 0x3F8
constexpr int condition_flag_bytes = 32;

// Services, all with the default C calling convention.  A service receives
// its leading values (condition number, group address, class) as ordinary
// arguments ahead of the caller's.
typedef void* (*host_allocate_function)(void* allocator_object, int32_t size, int32_t constant);
typedef int32_t (*host_error_service)(int32_t condition, void* group, int32_t error_class,
                                      int32_t detail1, int32_t detail2);
typedef int32_t (*host_math_error_service)(int32_t condition, void* group, int32_t error_class,
                                           void* record);
