// The time the server spends on one Digest credential check (one MD5-crypt of
// "user:password" under the client's salt), against the system's own "$1$"
// crypt from libcrypt on the same key and salt (BM_Ref_LibCrypt/md5crypt).
#include "core/net/Credentials.h"
#include "core/net/Md5Crypt.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <string>

namespace {

const std::string kKey = "alice:correct horse battery staple";
const std::string kSalt = "$1$Xa4.0jQb";

using CryptFunction = char* (*)(const char*, const char*);

// libcrypt is loaded at run time so that the benchmark links against nothing new.
CryptFunction SystemCrypt() {
    static const CryptFunction function = [] {
        void* library = dlopen("libcrypt.so.1", RTLD_NOW | RTLD_LOCAL);
        return library != nullptr ? reinterpret_cast<CryptFunction>(dlsym(library, "crypt")) : nullptr;
    }();
    return function;
}

void BM_Md5Crypt(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(Md5Crypt(kKey, kSalt));
}

void BM_Ref_LibCrypt(benchmark::State& state) {
    const CryptFunction crypt = SystemCrypt();
    if (crypt == nullptr) {
        state.SkipWithError("libcrypt.so.1 is not available");
        return;
    }
    // Same bytes in, same hash out: otherwise the comparison means nothing.
    const char* expected = crypt(kKey.c_str(), kSalt.c_str());
    if (expected == nullptr || Md5Crypt(kKey, kSalt) != expected) {
        state.SkipWithError("libcrypt and Md5Crypt disagree");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(crypt(kKey.c_str(), kSalt.c_str()));
}

void BM_CheckDigest(benchmark::State& state) {
    const std::string value = MakeDigestAuthorization("alice", "correct horse battery staple", "Xa4.0jQb");
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckCredentials(value, "alice", "correct horse battery staple"));
}

void BM_CheckBasic(benchmark::State& state) {
    const std::string value = MakeBasicAuthorization("alice", "correct horse battery staple");
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckCredentials(value, "alice", "correct horse battery staple"));
}

} // namespace

BENCHMARK(BM_Md5Crypt)->Name("BM_Md5Crypt/md5crypt")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ref_LibCrypt)->Name("BM_Ref_LibCrypt/md5crypt")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckDigest)->Name("BM_CheckDigest/check")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckBasic)->Name("BM_CheckBasic/check")->Unit(benchmark::kMicrosecond);
