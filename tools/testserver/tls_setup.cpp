#include "tls_setup.h"

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace ts {
namespace {

template <typename T, void (*F)(T*)>
struct Deleter {
    void operator()(T* p) const { F(p); }
};
using PkeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BnPtr = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using CtxPtr = std::unique_ptr<SSL_CTX, Deleter<SSL_CTX, SSL_CTX_free>>;

std::string openssl_error(const char* what) {
    std::string msg = what;
    const unsigned long code = ERR_get_error();
    if (code != 0) {
        char buf[256];
        ERR_error_string_n(code, buf, sizeof buf);
        msg += ": ";
        msg += buf;
    }
    ERR_clear_error();
    return msg;
}

bool add_ext(X509* cert, X509V3_CTX* ctx, int nid, const char* value) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, ctx, nid, value);
    if (ext == nullptr) return false;
    const int ok = X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
    return ok == 1;
}

}  // namespace

SSL_CTX* make_tls_server_ctx(std::string& cert_pem, std::string& error) {
    PkeyPtr key(EVP_RSA_gen(2048));
    if (!key) {
        error = openssl_error("RSA key generation failed");
        return nullptr;
    }
    X509Ptr cert(X509_new());
    if (!cert) {
        error = openssl_error("X509_new failed");
        return nullptr;
    }

    unsigned char serial_bytes[8];
    if (RAND_bytes(serial_bytes, sizeof serial_bytes) != 1) {
        error = openssl_error("RAND_bytes failed");
        return nullptr;
    }
    serial_bytes[0] &= 0x7f;  // keep the serial positive
    BnPtr serial(BN_bin2bn(serial_bytes, sizeof serial_bytes, nullptr));
    X509_NAME* name = X509_get_subject_name(cert.get());
    bool ok = serial && X509_set_version(cert.get(), 2) == 1 &&
              BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get())) != nullptr &&
              // An hour back tolerates a client clock slightly behind ours.
              X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) != nullptr &&
              X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365L * 24 * 3600) != nullptr &&
              X509_set_pubkey(cert.get(), key.get()) == 1 &&
              X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                         reinterpret_cast<const unsigned char*>("localhost"), -1, -1,
                                         0) == 1 &&
              X509_set_issuer_name(cert.get(), name) == 1;
    if (!ok) {
        error = openssl_error("building the certificate failed");
        return nullptr;
    }

    // The certificate is its own trust anchor for the clients under test, so
    // it carries what strict verifiers want of a CA as well as of a server.
    X509V3_CTX v3;
    X509V3_set_ctx_nodb(&v3);
    X509V3_set_ctx(&v3, cert.get(), cert.get(), nullptr, nullptr, 0);
    ok = add_ext(cert.get(), &v3, NID_basic_constraints, "critical,CA:TRUE") &&
         add_ext(cert.get(), &v3, NID_key_usage,
                 "critical,digitalSignature,keyEncipherment,keyCertSign") &&
         add_ext(cert.get(), &v3, NID_ext_key_usage, "serverAuth") &&
         add_ext(cert.get(), &v3, NID_subject_key_identifier, "hash") &&
         add_ext(cert.get(), &v3, NID_authority_key_identifier, "keyid:always") &&
         add_ext(cert.get(), &v3, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1") &&
         X509_sign(cert.get(), key.get(), EVP_sha256()) > 0;
    if (!ok) {
        error = openssl_error("signing the certificate failed");
        return nullptr;
    }

    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), cert.get()) != 1) {
        error = openssl_error("PEM encoding failed");
        return nullptr;
    }
    char* pem = nullptr;
    const long pem_len = BIO_get_mem_data(bio.get(), &pem);
    if (pem == nullptr || pem_len <= 0) {
        error = "PEM encoding gave nothing";
        return nullptr;
    }
    cert_pem.assign(pem, static_cast<std::size_t>(pem_len));

    CtxPtr ctx(SSL_CTX_new(TLS_server_method()));
    ok = ctx && SSL_CTX_set_min_proto_version(ctx.get(), TLS1_2_VERSION) == 1 &&
         SSL_CTX_use_certificate(ctx.get(), cert.get()) == 1 &&
         SSL_CTX_use_PrivateKey(ctx.get(), key.get()) == 1 &&
         SSL_CTX_check_private_key(ctx.get()) == 1;
    if (!ok) {
        error = openssl_error("setting up the TLS context failed");
        return nullptr;
    }
    return ctx.release();
}

}  // namespace ts
