// The product-image step against the test MariaDB (WordPress's own tables) and the test FTP
// server, whose root folder is read directly to see what arrived.
#include "EntornoEnvio.h"

#include "ftp/clsFTP.h"
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

// The one way in to the switched-off step (a friend of the send object).
class PruebaEnviarImagen {
public:
    static void EnviarImagen(clsProcedimenti& p, Recordset& rs, clsFTP& ftp, ConexionPtr& cn, kesa5::BasesDD& web,
                             std::int64_t postId) {
        p.EnviarImagen(rs, ftp, cn, web, postId);
    }
};

namespace {

class Imagen : public EntornoEnvio {
protected:
    void SetUp() override {
        EntornoEnvio::SetUp();
        ASSERT_NE(ftp.puerto, 0);
        ASSERT_FALSE(ftp.raiz.isEmpty());  // never a folder of the working directory
        ASSERT_TRUE(CrearObjeto(G().DeArchivos, u"DeArchivos"_s));
        webDD = baseWeb();
        ASSERT_TRUE(webDD);
        // Other test programs use the same FTP server: a folder of this test's own.
        carpetaFtp = u"i%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(QRandomGenerator::global()->generate());
        ASSERT_TRUE(QDir(ftp.raiz).mkdir(carpetaFtp));
        Config().DireccionFTP = u"127.0.0.1:%1"_s.arg(ftp.puerto);
        Config().CarpetaFTP = u'/' + carpetaFtp + u'/';
        Config().UsuarioFTP = ftp.usuario;
        Config().ContrasenaFTP = ftp.clave;
        sesion.SetModePassive();  // as the main window makes its session
        sesion.SetTransferBinary();

        producto(u"A1"_s, u"'Mesa'"_s, u"10"_s);
        ASSERT_TRUE(enviar().completo());
        postId = post(u"A1"_s);
        ASSERT_FALSE(postId.isEmpty());
        ventana.toma();
        Config().CarpetaImagenes = imagenes.path() + u'/';  // the run read it from the point of sale
    }
    void TearDown() override {
        sesion.CloseConnection();
        if (!carpetaFtp.isEmpty()) QDir(enFtp()).removeRecursively();
        if (webDD) webDD->CierraBdD(cnWeb);
        EntornoEnvio::TearDown();
    }

    void imagen(const QString& nombre, const QByteArray& datos) {
        QFile f(imagenes.filePath(nombre));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(datos);
    }
    // The step for product A1, as the send run would call it.
    void enviarImagen() {
        ConexionPtr cnHost;
        RecordsetPtr rs;
        ASSERT_TRUE(G().BasesDD->AbrirBdD(cnHost, G().BasesDD->cMiBase));
        ASSERT_TRUE(G().BasesDD->AbrirTabla(rs, cnHost, u"productos WHERE Clave='A1'"_s));
        clsProcedimenti proc(ventana);
        PruebaEnviarImagen::EnviarImagen(proc, *rs, sesion, cnWeb, *webDD, postId.toLongLong());
        G().BasesDD->CierraTabla(rs);
        G().BasesDD->CierraBdD(cnHost);
    }
    // How many posts and values the shop holds.
    QString totales() { return u"%1|%2"_s.arg(cuenta(u"wp_posts"_s)).arg(cuenta(u"wp_postmeta"_s)); }
    QStringList adjuntos(const QString& columnas) {
        return web.filas(u"SELECT CONCAT_WS('|', %1) FROM wp_posts WHERE post_type='attachment'"_s.arg(columnas));
    }
    QString adjuntoDe(const QString& id) {
        return web.valor(u"SELECT meta_value FROM wp_postmeta WHERE meta_key='_wp_attached_file' AND post_id="_s + id);
    }
    // The test's folder on the FTP server's disk, or a file in it.
    QString enFtp(const QString& nombre = {}) const { return ftp.raiz + u'/' + carpetaFtp + u'/' + nombre; }
    QStringList enServidor() { return QDir(enFtp()).entryList(QDir::Files); }
    QByteArray subido(const QString& nombre) {
        QFile f(enFtp(nombre));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }

    prueba::ServidorFTP ftp = prueba::servidorFTP();
    QString carpetaFtp, postId;
    QTemporaryDir imagenes;
    std::shared_ptr<kesa5::BasesDD> webDD;
    ConexionPtr cnWeb;
    clsFTP sesion;
    const QStringList kBarra{u"porcenVisible=1"_s, u"porcenVisible=0"_s};
};

QByteArray binario(int largo) {  // every byte value, CR, LF and NUL included
    QByteArray b(largo, '\0');
    for (int i = 0; i < largo; ++i) b[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return b;
}

TEST_F(Imagen, PictureBecomesTheProductsAttachmentAndIsUploadedAndASecondCallAddsNoRow) {
    const QByteArray datos = binario(1000);  // three whole 255-byte chunks and a shorter one
    imagen(u"A1.png"_s, datos);
    enviarImagen();
    const QString guid = Config().DireccionFTP + Config().CarpetaFTP + u"A1.png"_s;  // no "ftp." in it
    ASSERT_EQ(adjuntos(u"post_author, post_date, post_date_gmt, post_title, post_excerpt, post_status, comment_status, "
                       "ping_status, post_password, post_name, to_ping, pinged, post_modified, post_modified_gmt, "
                       "post_content_filtered, post_parent, guid, post_type, post_mime_type, post_content"_s),
              QStringList{u"333|2026-01-08 17:19:59|2026-01-08 23:19:59|A1||inherit|closed|closed||A1|||2026-01-08 17:19:59|"
                          "2026-01-08 23:19:59||"_s + postId + u'|' + guid + u"|attachment|image/jpeg|"_s});
    const QString id = adjuntos(u"ID"_s).value(0);
    EXPECT_EQ(adjuntoDe(id), u"imagenes/A1.png"_s);
    EXPECT_EQ(subido(u"A1.png"_s), datos);
    EXPECT_EQ(ventana.toma(), kBarra);

    // Again, after the shop changed the value and the picture: the same child row gets the value back.
    web.ejecuta(u"UPDATE wp_postmeta SET meta_value='otro' WHERE meta_key='_wp_attached_file'"_s);
    const QByteArray nuevos = binario(300).toBase64();
    imagen(u"A1.png"_s, nuevos);
    const QString antes = totales();
    enviarImagen();
    EXPECT_EQ(totales(), antes);
    EXPECT_EQ(adjuntoDe(id), u"imagenes/A1.png"_s);
    EXPECT_EQ(subido(u"A1.png"_s), nuevos);
}

TEST_F(Imagen, UpperCaseExtensionStaysInTheTitleAndFtpHostBecomesHttps) {
    // A folder written the point-of-sale's way, several candidates, and names that must not match.
    Config().CarpetaImagenes = imagenes.path() + u'\\';
    Config().DireccionFTP = u"ftp.localhost:%1"_s.arg(ftp.puerto);
    imagen(u"A1.png"_s, "png");
    imagen(u"A1.JPG"_s, "jpg");
    imagen(u"A10.jpg"_s, "otro producto");
    ASSERT_TRUE(QDir(imagenes.path()).mkdir(u"A1.d"_s));
    enviarImagen();
    EXPECT_EQ(adjuntos(u"post_title, post_name, guid"_s),
              QStringList{u"A1.JPG|A1.JPG|https://localhost:%1/%2/A1.JPG"_s.arg(ftp.puerto).arg(carpetaFtp)});
    EXPECT_EQ(adjuntoDe(adjuntos(u"ID"_s).value(0)), u"imagenes/A1.JPG"_s);
    EXPECT_EQ(enServidor(), QStringList{u"A1.JPG"_s});
    EXPECT_EQ(subido(u"A1.JPG"_s), QByteArray("jpg"));
}

TEST_F(Imagen, NoPictureWritesAndSendsNothing) {
    imagen(u"A10.png"_s, "otro producto");
    ASSERT_TRUE(QDir(imagenes.path()).mkdir(u"A1.png"_s));  // a folder is no picture
    const QString antes = totales();
    enviarImagen();
    Config().CarpetaImagenes.clear();  // no image folder in the point-of-sale settings
    enviarImagen();
    EXPECT_EQ(totales(), antes);
    EXPECT_TRUE(enServidor().isEmpty());
    EXPECT_EQ(ventana.toma(), kBarra + kBarra);
}

TEST_F(Imagen, RefusedFtpLoginKeepsTheRowsAndSendsNothing) {
    imagen(u"A1.png"_s, "png");
    Config().ContrasenaFTP = u"mala"_s;
    enviarImagen();
    EXPECT_EQ(adjuntos(u"post_title"_s), QStringList{u"A1"_s});
    EXPECT_EQ(adjuntoDe(adjuntos(u"ID"_s).value(0)), u"imagenes/A1.png"_s);
    EXPECT_TRUE(enServidor().isEmpty());
    EXPECT_EQ(ventana.toma(), kBarra);
}

TEST_F(Imagen, ShopDatabaseRefusedWritesAndSendsNothing) {
    imagen(u"A1.png"_s, "png");
    webDD->cPassword = u"mala"_s;
    const QString antes = totales();
    enviarImagen();
    EXPECT_EQ(totales(), antes);
    EXPECT_TRUE(enServidor().isEmpty());
    EXPECT_EQ(ventana.toma(), kBarra);
}

}
