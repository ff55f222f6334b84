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
        ASSERT_TRUE(CrearObjeto(G().DeArchivos, QStringLiteral("DeArchivos")));
        ASSERT_TRUE(CrearObjeto(webDD, QStringLiteral("BasesDD")));
        const Configuracion& c = Config();
        webDD->cRuta = c.DireccionIPWeb;
        webDD->cPuerto = c.PuertoWeb;
        webDD->cUsuario = c.UsuarioWeb;
        webDD->cPassword = c.ContrasenaWeb;
        webDD->cMiBase = c.BaseWeb;
        // Other test programs use the same FTP server: a folder of this test's own.
        carpetaFtp = QStringLiteral("i%1_%2").arg(QCoreApplication::applicationPid()).arg(QRandomGenerator::global()->generate());
        ASSERT_TRUE(QDir(ftp.raiz).mkdir(carpetaFtp));
        Config().DireccionFTP = QStringLiteral("127.0.0.1:%1").arg(ftp.puerto);
        Config().CarpetaFTP = QLatin1Char('/') + carpetaFtp + QLatin1Char('/');
        Config().UsuarioFTP = ftp.usuario;
        Config().ContrasenaFTP = ftp.clave;
        sesion.SetModePassive();  // as the main window makes its session
        sesion.SetTransferBinary();

        producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("10"), QStringLiteral("1"));
        ASSERT_TRUE(enviar().completo());
        postId = post(QStringLiteral("A1"));
        ASSERT_FALSE(postId.isEmpty());
        ventana.toma();
        Config().CarpetaImagenes = imagenes.path() + QLatin1Char('/');  // the run read it from the point of sale
    }
    void TearDown() override {
        sesion.CloseConnection();
        if (!carpetaFtp.isEmpty()) QDir(ftp.raiz + QLatin1Char('/') + carpetaFtp).removeRecursively();
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
        ASSERT_TRUE(G().BasesDD->AbrirTabla(rs, cnHost, QStringLiteral("productos WHERE Clave='A1'")));
        clsProcedimenti proc(ventana);
        PruebaEnviarImagen::EnviarImagen(proc, *rs, sesion, cnWeb, *webDD, postId.toLongLong());
        G().BasesDD->CierraTabla(rs);
        G().BasesDD->CierraBdD(cnHost);
    }
    QStringList adjuntos(const QString& columnas) {
        return web.filas(QStringLiteral("SELECT CONCAT_WS('|', %1) FROM wp_posts WHERE post_type='attachment'").arg(columnas));
    }
    QString adjuntoDe(const QString& id) {
        return web.valor(QStringLiteral("SELECT meta_value FROM wp_postmeta WHERE meta_key='_wp_attached_file' AND post_id=") + id);
    }
    QStringList enServidor() { return QDir(ftp.raiz + QLatin1Char('/') + carpetaFtp).entryList(QDir::Files); }
    QByteArray subido(const QString& nombre) {
        QFile f(ftp.raiz + QLatin1Char('/') + carpetaFtp + QLatin1Char('/') + nombre);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }

    prueba::ServidorFTP ftp = prueba::servidorFTP();
    QString carpetaFtp, postId;
    QTemporaryDir imagenes;
    std::shared_ptr<kesa5::BasesDD> webDD;
    ConexionPtr cnWeb;
    clsFTP sesion;
    const QStringList kBarra{QStringLiteral("porcenVisible=1"), QStringLiteral("porcenVisible=0")};
};

QByteArray binario(int largo) {  // every byte value, CR, LF and NUL included
    QByteArray b(largo, '\0');
    for (int i = 0; i < largo; ++i) b[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return b;
}

TEST_F(Imagen, PictureBecomesTheProductsAttachmentAndIsUploadedAndASecondCallAddsNoRow) {
    const QByteArray datos = binario(1000);  // three whole 255-byte chunks and a shorter one
    imagen(QStringLiteral("A1.png"), datos);
    enviarImagen();
    const QString guid = Config().DireccionFTP + Config().CarpetaFTP + QStringLiteral("A1.png");  // no "ftp." in it
    ASSERT_EQ(adjuntos(QStringLiteral("post_author, post_date, post_date_gmt, post_title, post_excerpt, post_status, "
                                      "comment_status, ping_status, post_password, post_name, to_ping, pinged, "
                                      "post_modified, post_modified_gmt, post_content_filtered, post_parent, guid, "
                                      "post_type, post_mime_type, post_content")),
              QStringList{QStringLiteral("333|2026-01-08 17:19:59|2026-01-08 23:19:59|A1||inherit|closed|closed||A1|||"
                                         "2026-01-08 17:19:59|2026-01-08 23:19:59||") +
                          postId + QLatin1Char('|') + guid + QStringLiteral("|attachment|image/jpeg|")});
    const QString id = adjuntos(QStringLiteral("ID")).value(0);
    EXPECT_EQ(adjuntoDe(id), QStringLiteral("imagenes/A1.png"));
    EXPECT_EQ(subido(QStringLiteral("A1.png")), datos);
    EXPECT_EQ(ventana.toma(), kBarra);

    // Again, after the shop changed the value and the picture: the same child row gets the value back.
    web.ejecuta(QStringLiteral("UPDATE wp_postmeta SET meta_value='otro' WHERE meta_key='_wp_attached_file'"));
    const QByteArray nuevos = binario(300).toBase64();
    imagen(QStringLiteral("A1.png"), nuevos);
    const int filas = cuenta(QStringLiteral("wp_posts")), metas = cuenta(QStringLiteral("wp_postmeta"));
    enviarImagen();
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), filas);
    EXPECT_EQ(cuenta(QStringLiteral("wp_postmeta")), metas);
    EXPECT_EQ(adjuntoDe(id), QStringLiteral("imagenes/A1.png"));
    EXPECT_EQ(subido(QStringLiteral("A1.png")), nuevos);
}

TEST_F(Imagen, UpperCaseExtensionStaysInTheTitleAndFtpHostBecomesHttps) {
    // A folder written the point-of-sale's way, several candidates, and names that must not match.
    Config().CarpetaImagenes = imagenes.path() + QLatin1Char('\\');
    Config().DireccionFTP = QStringLiteral("ftp.localhost:%1").arg(ftp.puerto);
    imagen(QStringLiteral("A1.png"), "png");
    imagen(QStringLiteral("A1.JPG"), "jpg");
    imagen(QStringLiteral("A10.jpg"), "otro producto");
    ASSERT_TRUE(QDir(imagenes.path()).mkdir(QStringLiteral("A1.d")));
    enviarImagen();
    EXPECT_EQ(adjuntos(QStringLiteral("post_title, post_name, guid")),
              QStringList{QStringLiteral("A1.JPG|A1.JPG|https://localhost:%1/%2/A1.JPG").arg(ftp.puerto).arg(carpetaFtp)});
    EXPECT_EQ(adjuntoDe(adjuntos(QStringLiteral("ID")).value(0)), QStringLiteral("imagenes/A1.JPG"));
    EXPECT_EQ(enServidor(), QStringList{QStringLiteral("A1.JPG")});
    EXPECT_EQ(subido(QStringLiteral("A1.JPG")), QByteArray("jpg"));
}

TEST_F(Imagen, NoPictureWritesAndSendsNothing) {
    imagen(QStringLiteral("A10.png"), "otro producto");
    ASSERT_TRUE(QDir(imagenes.path()).mkdir(QStringLiteral("A1.png")));  // a folder is no picture
    const int filas = cuenta(QStringLiteral("wp_posts")), metas = cuenta(QStringLiteral("wp_postmeta"));
    enviarImagen();
    Config().CarpetaImagenes.clear();  // no image folder in the point-of-sale settings
    enviarImagen();
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), filas);
    EXPECT_EQ(cuenta(QStringLiteral("wp_postmeta")), metas);
    EXPECT_TRUE(enServidor().isEmpty());
    EXPECT_EQ(ventana.toma(), kBarra + kBarra);
}

TEST_F(Imagen, RefusedFtpLoginKeepsTheRowsAndSendsNothing) {
    imagen(QStringLiteral("A1.png"), "png");
    Config().ContrasenaFTP = QStringLiteral("mala");
    enviarImagen();
    EXPECT_EQ(adjuntos(QStringLiteral("post_title")), QStringList{QStringLiteral("A1")});
    EXPECT_EQ(adjuntoDe(adjuntos(QStringLiteral("ID")).value(0)), QStringLiteral("imagenes/A1.png"));
    EXPECT_TRUE(enServidor().isEmpty());
    EXPECT_EQ(ventana.toma(), kBarra);
}

TEST_F(Imagen, ShopDatabaseRefusedWritesAndSendsNothing) {
    imagen(QStringLiteral("A1.png"), "png");
    webDD->cPassword = QStringLiteral("mala");
    const int metas = cuenta(QStringLiteral("wp_postmeta"));
    enviarImagen();
    EXPECT_TRUE(adjuntos(QStringLiteral("ID")).isEmpty());
    EXPECT_EQ(cuenta(QStringLiteral("wp_postmeta")), metas);
    EXPECT_TRUE(enServidor().isEmpty());
    EXPECT_EQ(ventana.toma(), kBarra);
}

}
