<?php
/*
 * Los pasos PHP de instalar.sh, cada uno en su propio proceso:
 *   wordpress     wp_install() sobre la base vacía: las tablas de WordPress y su administrador
 *   activar       activate_plugin() de WooCommerce como ese administrador (su gancho de activación
 *                 corre WC_Install::install() y comprueba "Requires at least")
 *   woocommerce   ya cargado como plugin activo: WC_Install::install() otra vez (crea las tablas de
 *                 Action Scheduler; se puede repetir) y comprueba tablas y términos
 *   tienda-nueva  (WooCommerce 8 o más) WC_Install::newly_installed(), lo que corre la primera
 *                 página de administración de una tienda nueva y una instalación por consola nunca
 *                 alcanza: HPOS encendido, ...; luego woocommerce_coming_soon = no, para que los
 *                 visitantes vean la tienda.
 * El progreso va a stderr; sale con 1 cuando falta algo.
 */
$paso = $argv[1] ?? '';
if (!in_array($paso, ['wordpress', 'activar', 'woocommerce', 'tienda-nueva'], true)) {
    fwrite(STDERR, "uso: php instalar.php wordpress|activar|woocommerce|tienda-nueva\n");
    exit(2);
}
if ($paso === 'wordpress') {
    define('WP_INSTALLING', true);
    define('WP_SITEURL', 'http://shop.test');
}
require __DIR__ . '/arranque.php';

function moravi_falla($texto) {
    fwrite(STDERR, "instalar: $texto\n");
    exit(1);
}

if ($paso === 'wordpress') {
    require_once ABSPATH . 'wp-admin/includes/upgrade.php';
    if (is_blog_installed()) moravi_falla('la base ' . DB_NAME . ' ya tiene un sitio');
    // La prueba de enlaces permanentes va por HTTP, que arranque.php corta: quedan los simples.
    wp_install('Tienda de prueba', 'admin', 'admin@example.invalid', 0, '', 'no-es-secreta');
    fwrite(STDERR, "instalar: WordPress {$GLOBALS['wp_version']} en " . DB_NAME . "\n");
    exit(0);
}

require_once ABSPATH . 'wp-admin/includes/plugin.php';
$plugin = 'woocommerce/woocommerce.php';
if (!is_blog_installed()) moravi_falla('la base ' . DB_NAME . ' no tiene WordPress');
if (!is_file(WP_PLUGIN_DIR . "/$plugin")) moravi_falla('no hay ' . WP_PLUGIN_DIR . "/$plugin");
wp_set_current_user(1);

if ($paso === 'activar') {
    $r = is_plugin_active($plugin) ? null : activate_plugin($plugin);
    if (is_wp_error($r)) moravi_falla('activate_plugin: ' . $r->get_error_message());
    exit(0);
}
if (!function_exists('WC')) moravi_falla('WooCommerce no se cargó');

if ($paso === 'tienda-nueva') {
    if (!method_exists('WC_Install', 'newly_installed')) moravi_falla('WooCommerce ' . WC()->version . ' no tiene newly_installed()');
    if (get_option('woocommerce_newly_installed') === 'yes') {
        WC_Install::newly_installed();  // deja la opción en 'no': corre una vez
    }
    update_option('woocommerce_coming_soon', 'no');
    if (!\Automattic\WooCommerce\Utilities\OrderUtil::custom_orders_table_usage_is_enabled()) moravi_falla('HPOS sigue apagado');
    fwrite(STDERR, "instalar: tienda nueva con HPOS\n");
    exit(0);
}

delete_transient('wc_installing');  // el candado que pudo dejar una instalación interrumpida
WC_Install::install();
global $wpdb;
$tablas = $wpdb->get_col('SHOW TABLES');
foreach (['wc_product_meta_lookup', 'woocommerce_sessions', 'actionscheduler_actions'] as $t) {
    if (!in_array($wpdb->prefix . $t, $tablas, true)) moravi_falla("falta la tabla {$wpdb->prefix}$t");
}
foreach (['product_type' => 'simple', 'product_visibility' => 'outofstock'] as $taxonomia => $termino) {
    if (!term_exists($termino, $taxonomia)) moravi_falla("falta el término $taxonomia/$termino");
}
fwrite(STDERR, sprintf("instalar: WooCommerce %s en %s, %d tablas\n", WC()->version, DB_NAME, count($tablas)));
