#!/bin/sh
# Builds the image fuzzer as a 64-bit host program with clang's libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer (sanitizers hang under the i386 emulation used for the
# project's own programs, so the fuzzer runs natively). The sources it compiles are the
# portable parts: container reader, linker, relocator and the image kit's readers.
# Usage: fuzz/image/build-fuzzer.sh [OUTPUT]   then   OUTPUT -max_total_time=600 CORPUS_DIR
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build-fuzz/fuzz_image}
mkdir -p "$(dirname "$out")"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" -o "$out" \
  "$root/fuzz/image/imagefuzz.cpp" \
  "$root/runtime/image/blocks.cpp" "$root/runtime/image/codememory.cpp" \
  "$root/runtime/image/container.cpp" "$root/runtime/image/linker.cpp" \
  "$root/runtime/image/relocator.cpp" \
  "$root/tools/imagekit/builder.cpp" "$root/tools/imagekit/records.cpp" \
  "$root/tools/imagekit/streams.cpp" "$root/tools/imagekit/output.cpp" \
  "$root/tools/imagekit/decode.cpp"
echo "built $out"
