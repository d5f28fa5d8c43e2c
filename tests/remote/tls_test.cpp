// The wire over TLS: a throwaway self-signed certificate, trusted by the client through its CA
// file, and the failures of clients that do not trust it or do not speak TLS.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "remote/http_transport.h"
#include "remote/net_connection.h"
#include "remote/remote_error.h"
#include "remote/session.h"
#include "rpc/loopback_server.h"

namespace remote {
namespace {

using platform::Variant;

// A key and a certificate for "127.0.0.1", valid for a day, written as PEM files.
struct ThrowawayCertificate {
  std::filesystem::path dir;
  std::string certFile;
  std::string keyFile;

  ThrowawayCertificate() {
    dir = std::filesystem::temp_directory_path() /
          ("menucost-tls-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    std::filesystem::create_directories(dir);
    certFile = (dir / "cert.pem").string();
    keyFile = (dir / "key.pem").string();
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -60);
    X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    for (const char* ext : {"IP:127.0.0.1", "critical,CA:TRUE"}) {
      const int nid = ext[0] == 'I' ? NID_subject_alt_name : NID_basic_constraints;
      X509_EXTENSION* e = X509V3_EXT_conf_nid(nullptr, &ctx, nid, ext);
      X509_add_ext(cert, e, -1);
      X509_EXTENSION_free(e);
    }
    X509_sign(cert, key, EVP_sha256());
    FILE* out = std::fopen(certFile.c_str(), "w");
    PEM_write_X509(out, cert);
    std::fclose(out);
    out = std::fopen(keyFile.c_str(), "w");
    PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(out);
    X509_free(cert);
    EVP_PKEY_free(key);
  }
  ~ThrowawayCertificate() { std::filesystem::remove_all(dir); }

  static int& counter() {
    static int n = 0;
    return n;
  }
};

class TlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server::RpcServerOptions options;
    options.tlsCertFile = cert_.certFile;
    options.tlsKeyFile = cert_.keyFile;
    options.headerTimeout = std::chrono::milliseconds(500);
    server_ = std::make_unique<testing_rpc::LoopbackServer>(options);
    trusting_.tlsCaFile = cert_.certFile;
    trusting_.readTimeout = std::chrono::seconds(3);
  }

  std::string url() const { return "https://127.0.0.1:" + std::to_string(server_->port); }

  ThrowawayCertificate cert_;
  std::unique_ptr<testing_rpc::LoopbackServer> server_;
  TransportOptions trusting_;
};

TEST_F(TlsTest, ATrustingClientLogsInAndCalls) {
  EXPECT_TRUE(server_->server().tls());
  auto session = Session::login(url(), 0, "admin", "segredo", trusting_);
  TNetConnection connection(testing_rpc::kEchoObject);
  connection.setSession(session);
  connection.Host = url();
  connection.Timeouts = trusting_;
  EXPECT_EQ(connection.call("Whoami"), Variant("ADMIN"));
  const std::string big(200000, 'x');
  EXPECT_EQ(connection.call("Echo", big), Variant::array({Variant(big)}));
}

TEST_F(TlsTest, ClientsThatCannotTalkToItFailCleanly) {
  struct Case {
    const char* name;
    std::string url;
    std::string caFile;
  };
  const Case cases[] = {
      {"PlainHttp", "http://127.0.0.1:" + std::to_string(server_->port), ""},
      {"UntrustedCertificate", url(), ""},
      {"MissingCaFile", url(), (cert_.dir / "nada.pem").string()},
  };
  for (const Case& c : cases) {
    TransportOptions options = trusting_;
    options.tlsCaFile = c.caFile;
    try {
      Session::login(c.url, 0, "admin", "segredo", options);
      ADD_FAILURE() << c.name << ": logged in";
    } catch (const RemoteError& e) {
      EXPECT_EQ(e.kind(), RemoteError::Kind::Transport) << c.name << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find("127.0.0.1"), std::string::npos) << e.what();
    }
  }
  // The server is unharmed.
  EXPECT_EQ(Session::login(url(), 0, "admin", "segredo", trusting_)->operatorCode(), "ADMIN");
}

TEST(TlsServer, RefusesACertificateItCannotLoad) {
  testing_rpc::FakeDispatcher dispatcher;
  testing_rpc::FakeAuthenticator authenticator;
  server::RpcServerOptions options;
  options.tlsCertFile = "/nonexistent/cert.pem";
  options.tlsKeyFile = "/nonexistent/key.pem";
  EXPECT_THROW(server::RpcHttpServer(dispatcher, authenticator, options), std::runtime_error);
  options.tlsKeyFile.clear();
  EXPECT_THROW(server::RpcHttpServer(dispatcher, authenticator, options), std::runtime_error);
}

}  // namespace
}  // namespace remote
