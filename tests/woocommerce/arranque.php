<?php
/*
 * El wp-config de las pruebas: carga WordPress y WooCommerce en PHP de línea de órdenes contra la
 * base de una tienda de prueba (instalar.sh). Se incluye al nivel del archivo (WordPress vive de
 * variables globales) y luego se usa WooCommerce como lo usaría un plugin:
 *   require 'tests/woocommerce/arranque.php';
 *   $p = wc_get_product(wc_get_product_id_by_sku('A1'));
 *
 * Entorno: MARIADB_HOST MARIADB_PORT MARIADB_USER MARIADB_PASSWORD (el servidor de pruebas),
 * WP_DB_NAME (la base), WP_TABLE_PREFIX (wp_), WC_VERSION (7.8.2 o 11.0.1), WC_DIR (donde
 * instalar.sh dejó el plugin), WP_PATH (otro WordPress), WP_CONTENT_DIR (carpeta de contenido con
 * object-cache.php y mu-plugins/), WP_REDIS_PORT (el Redis de ese object-cache.php, en 127.0.0.1),
 * MORAVI_WC_AVISOS=mostrar (no oculta los avisos ajenos descritos abajo).
 *
 * El wp-config.php de Debian elige /etc/wordpress/config-<HTTP_HOST>.php y wp-load.php lo incluiría:
 * este archivo hace sus veces y carga wp-settings.php directamente. No escribe en las carpetas de
 * WordPress: plugin, subidas y registros van a WC_DIR.
 */

function moravi_entorno($nombre, $defecto) {
    $valor = getenv($nombre);
    return ($valor === false || $valor === '') ? $defecto : $valor;
}

$moravi_version_wc = moravi_entorno('WC_VERSION', '7.8.2');
if (!in_array($moravi_version_wc, ['7.8.2', '11.0.1'], true)) {
    fwrite(STDERR, "arranque: WC_VERSION $moravi_version_wc no está en tests/woocommerce (7.8.2 o 11.0.1)\n");
    exit(2);
}
$moravi_tmp = rtrim(getenv('TMPDIR') ?: '/tmp', '/');

// WooCommerce 7.8.2 corre sobre el WordPress 6.1 de Debian; 11.0.1 pide 6.9 o más: el 7.0.4 que
// instalar.sh desempaqueta con el nombre que dan las primeras cifras de su sha256.
$moravi_wp = moravi_entorno('WP_PATH', '');
if ($moravi_wp === '') {
    $moravi_wp = $moravi_version_wc === '7.8.2' ? '/usr/share/wordpress'
        : $moravi_tmp . '/moravi-wp-7.0.4-' . substr(file_get_contents(__DIR__ . '/wordpress-7.0.4.tar.xz.sha256'), 0, 12);
}
if (!is_file("$moravi_wp/wp-settings.php")) {
    fwrite(STDERR, "arranque: no hay WordPress en $moravi_wp: corra antes tests/woocommerce/instalar.sh\n");
    exit(1);
}
define('ABSPATH', rtrim($moravi_wp, '/') . '/');
define('DB_NAME', moravi_entorno('WP_DB_NAME', 'wptest'));
define('DB_USER', moravi_entorno('MARIADB_USER', 'root'));
define('DB_PASSWORD', moravi_entorno('MARIADB_PASSWORD', ''));
define('DB_HOST', moravi_entorno('MARIADB_HOST', '127.0.0.1') . ':' . moravi_entorno('MARIADB_PORT', '3306'));
define('DB_CHARSET', 'utf8mb4');
define('DB_COLLATE', '');
$table_prefix = moravi_entorno('WP_TABLE_PREFIX', 'wp_');

define('MORAVI_WC_DIR', rtrim(moravi_entorno('WC_DIR', $moravi_tmp . '/moravi-wc'), '/'));
define('WP_PLUGIN_DIR', MORAVI_WC_DIR . ($moravi_version_wc === '7.8.2' ? '/plugins' : '/plugins-wc' . $moravi_version_wc));
define('WC_LOG_DIR', MORAVI_WC_DIR . '/wc-logs/');
if (getenv('WP_CONTENT_DIR')) {
    define('WP_CONTENT_DIR', rtrim(getenv('WP_CONTENT_DIR'), '/'));
}
if (getenv('WP_REDIS_PORT')) {
    define('WP_REDIS_HOST', '127.0.0.1');
    define('WP_REDIS_PORT', (int) getenv('WP_REDIS_PORT'));
    define('WP_REDIS_TIMEOUT', 1);
    define('WP_REDIS_READ_TIMEOUT', 1);
}

// Las tareas programadas las corre la prueba cuando quiere, no cada petición.
define('DISABLE_WP_CRON', true);
// Avisos y advertencias a stderr, para que stdout quede limpio para el JSON que leen las pruebas.
define('WP_DEBUG', true);
define('WP_DEBUG_DISPLAY', null);
ini_set('display_errors', 'stderr');
ini_set('log_errors', '0');

// Nada sale de la máquina: toda petición HTTP (la prueba de enlaces permanentes del instalador,
// las búsquedas de actualizaciones) falla enseguida y ningún correo se envía. Ganchos puestos a
// mano antes de cargar WordPress: plugin.php los recoge.
function moravi_sin_red() {
    return new WP_Error('moravi_sin_red', 'HTTP apagado en las pruebas');
}
function moravi_subidas($u) {
    $u['basedir'] = MORAVI_WC_DIR . '/uploads';
    $u['path'] = $u['basedir'] . $u['subdir'];
    return $u;
}
$GLOBALS['wp_filter']['pre_http_request'][10][] = ['function' => 'moravi_sin_red', 'accepted_args' => 1];
$GLOBALS['wp_filter']['pre_wp_mail'][10][] = ['function' => '__return_false', 'accepted_args' => 1];
$GLOBALS['wp_filter']['upload_dir'][10][] = ['function' => 'moravi_subidas', 'accepted_args' => 1];

// Avisos ajenos, que no dicen nada de las filas de una tienda y se ocultan solos:
// - WooCommerce 7.8 es anterior a PHP 8.2: sus propios archivos dan unas 20 "Creation of dynamic
//   property" por petición (E_DEPRECATED nacido dentro del plugin);
// - WooCommerce 10/11 sobre WordPress 7: la primera petición tras activarlo traduce un texto
//   demasiado pronto (el paquete de conexión de Jetpack que trae programa un evento en
//   plugins_loaded) y WordPress da un _doing_it_wrong del dominio woocommerce.
function moravi_aviso_ajeno($avisar, $funcion, $mensaje = '') {
    return $funcion === '_load_textdomain_just_in_time' && strpos((string) $mensaje, '<code>woocommerce</code>') !== false
        ? false : $avisar;
}
if (getenv('MORAVI_WC_AVISOS') !== 'mostrar') {
    $GLOBALS['wp_filter']['doing_it_wrong_trigger_error'][10][] = ['function' => 'moravi_aviso_ajeno', 'accepted_args' => 3];
    set_error_handler(function ($nivel, $texto, $archivo) {
        return (error_reporting() & $nivel) && ($nivel === E_DEPRECATED || $nivel === E_USER_DEPRECATED)
            && strpos($archivo, WP_PLUGIN_DIR . '/woocommerce/') === 0;
    });
}

$_SERVER['HTTP_HOST'] = $_SERVER['HTTP_HOST'] ?? 'shop.test';
require ABSPATH . 'wp-settings.php';
