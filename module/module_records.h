// The static records the host reads: the image information block that
// mcn_main returns, the module list, the module record with the describe
// callback, and the function descriptor of FNONCT with its evaluate callback;
// also the two answers of the describe callback.
//
// Layouts, 32-bit target (every integer little-endian, texts single-byte):
//
//   image information block, 96 bytes
//      0  24  marker "ZOR_Image_Information=", then 2 NUL bytes
//     24   4  0xB0BDEBED
//     28   4  8
//     32   6  version "8.00", NUL-padded
//     38  20  release "8.01.01M0P041000", NUL-padded
//     58  26  build date "Apr 10 2000", NUL-padded
//     84   4  address of the module list
//     88   4  address of the copyright notice
//     92   4  level "001", NUL-padded
//
//   module list: the module record's address, then a 0 word
//
//   module record, 44 bytes
//      0   4  00 00 FF FF
//      4   4  1024          8  4  1024
//     12   8  module name "kelbrant", no terminator
//     20   4  0
//     24   4  address of the describe callback
//     28   4  1            32  4  9683        36  4  1154823     40  4  15
//
//   function descriptor, 44 bytes
//      0  24  function name "FNONCT", NUL-padded
//     24   2  argument count 4            26  2  argument count 4
//     28   4  0x42                        32  4  0
//     36   4  argument codes, 3 bits per argument from the lowest: 0x249
//     40   4  address of the evaluate callback
//
//   function list record (describe request 1), 8 bytes
//      0   4  number of descriptors      4  4  address of the first
//
//   routine list (describe request 2): count + 1 address words, word 0 left
//   as the allocator delivered it, word i the evaluate callback of function i.
//
// The constant fields carry meaning for the host alone; the module only
// supplies their values, and the structs name them by their 32-bit offset
// (value_28 and so on).
//
// With wider addresses every address field widens to a pointer in place and
// the structs keep natural alignment; the order of the fields, the widths of
// the others and the values stay.  On a 64-bit target that makes the image
// information block 112 bytes (module list at 88, copyright at 96, level at
// 104), the module record and the function descriptor 48 bytes and the
// function list record 16 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// The describe callback, the evaluate callback and the export, all with the
// default C calling convention.
typedef void* (*describe_callback)(int32_t request);
typedef int32_t (*evaluate_callback)(void* argument_list, double* result);
typedef void* (*module_entry)(void* host_vector, int32_t value);

struct function_descriptor {
    char name[24];
    int16_t argument_count;
    int16_t argument_count_2;
    uint32_t value_28;  // 0x42
    uint32_t value_32;  // 0
    uint32_t argument_codes;
    evaluate_callback evaluate;
};

struct module_record {
    unsigned char lead[4];  // 00 00 FF FF
    uint32_t value_4;       // 1024
    uint32_t value_8;       // 1024
    char name[8];           // no terminator
    uint32_t value_20;      // 0
    describe_callback describe;
    uint32_t value_28;  // 1
    uint32_t value_32;  // 9683
    uint32_t value_36;  // 1154823
    uint32_t value_40;  // 15
};

struct image_information_block {
    char marker[24];
    uint32_t constant;  // 0xB0BDEBED
    uint32_t value_28;  // 8
    char version[6];
    char release[20];
    char build_date[26];
    const module_record* const* module_list;
    const char* copyright;
    char level[4];
};

struct function_list_record {
    int32_t count;
    const function_descriptor* first;
};

// The values of the records' constant fields.
constexpr char image_marker[] = "ZOR_Image_Information=";
constexpr uint32_t image_constant = 0xB0BDEBEDu;
constexpr uint32_t function_codes_fnonct = 0x249;  // code 1 for each of four arguments
constexpr int32_t describe_function_list = 1;
constexpr int32_t describe_routine_list = 2;

// The records themselves (module_records.cpp).  Never written at run time.
extern const image_information_block image_information;
extern const module_record* const module_list[2];
extern const module_record kelbrant_module_record;
extern const function_descriptor fnonct_descriptor;

// The export: keep the host vector, return the image information block.
extern "C"
#if !defined(_WIN32)
__attribute__((visibility("default")))
#endif
void* mcn_main(void* host_vector, int32_t value);

// The describe callback: request 1 answers a new function list record,
// request 2 a new routine list, any other request 0.
void* fnonct_describe(int32_t request);

// Build a describe answer in host memory: kind 1 a function list record
// {count, first}, kind 2 a routine list with words 1..count = values[0..count-1].
// 0 for any other kind, or when the host allocator has no memory (after
// raising condition 30 with details 1016 and 0).
void* build_description(int32_t kind, int32_t count, const void* first, void* const* values);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(image_information_block, constant) == 24, "image block: constant at 24");
static_assert(offsetof(image_information_block, value_28) == 28, "image block: 8 at 28");
static_assert(offsetof(image_information_block, version) == 32, "image block: version at 32");
static_assert(offsetof(image_information_block, release) == 38, "image block: release at 38");
static_assert(offsetof(image_information_block, build_date) == 58, "image block: date at 58");
static_assert(offsetof(image_information_block, module_list) == 84, "image block: list at 84");
static_assert(offsetof(image_information_block, copyright) == 88, "image block: copyright at 88");
static_assert(offsetof(image_information_block, level) == 92, "image block: level at 92");
static_assert(sizeof(image_information_block) == 96, "image block: 96 bytes");
static_assert(offsetof(module_record, value_4) == 4, "module record: 1024 at 4");
static_assert(offsetof(module_record, name) == 12, "module record: name at 12");
static_assert(offsetof(module_record, value_20) == 20, "module record: 0 at 20");
static_assert(offsetof(module_record, describe) == 24, "module record: describe at 24");
static_assert(offsetof(module_record, value_28) == 28, "module record: 1 at 28");
static_assert(offsetof(module_record, value_40) == 40, "module record: 15 at 40");
static_assert(sizeof(module_record) == 44, "module record: 44 bytes");
static_assert(offsetof(function_descriptor, argument_count) == 24, "descriptor: count at 24");
static_assert(offsetof(function_descriptor, argument_count_2) == 26, "descriptor: count at 26");
static_assert(offsetof(function_descriptor, value_28) == 28, "descriptor: 0x42 at 28");
static_assert(offsetof(function_descriptor, argument_codes) == 36, "descriptor: codes at 36");
static_assert(offsetof(function_descriptor, evaluate) == 40, "descriptor: evaluate at 40");
static_assert(sizeof(function_descriptor) == 44, "descriptor: 44 bytes");
static_assert(offsetof(function_list_record, first) == 4, "function list: first at 4");
static_assert(sizeof(function_list_record) == 8, "function list: 8 bytes");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(offsetof(image_information_block, module_list) == 88, "image block: list at 88");
static_assert(offsetof(image_information_block, level) == 104, "image block: level at 104");
static_assert(sizeof(image_information_block) == 112, "image block: 112 bytes");
static_assert(offsetof(module_record, describe) == 24, "module record: describe at 24");
static_assert(sizeof(module_record) == 48, "module record: 48 bytes");
static_assert(offsetof(function_descriptor, evaluate) == 40, "descriptor: evaluate at 40");
static_assert(sizeof(function_descriptor) == 48, "descriptor: 48 bytes");
static_assert(sizeof(function_list_record) == 16, "function list: 16 bytes");
#endif
