<?php
/**
 * Plugin Name: Moravi: la tienda al tanto de cada envío
 * Description: Avisa a WooCommerce y a sus complementos (webhooks, avisos de vuelta a existencias, catálogos de Google y Facebook...) de lo que el programa Moravi cambia directamente en la base de datos de la tienda, disparando las mismas acciones que el guardado de WooCommerce, en su propia cola; y limpia de la caché persistente de objetos (Redis, Memcached...), si la tienda usa una, los productos que el programa escribe, para que la tienda muestre enseguida los precios y existencias nuevos.
 * Version: 1.1.0
 * Requires at least: 5.5
 * License: GPLv2 or later
 *
 * Copy this file into wp-content/mu-plugins/ of the shop (WordPress loads every .php file there,
 * with no activation). It does two things:
 *   - in every shop with WooCommerce, it fires, for each product a send created or changed, the
 *     actions WooCommerce's own save fires for that change (see "Hooks" below), in WooCommerce's
 *     own queue (Action Scheduler), so that webhooks and the plugins that listen hear of it;
 *   - in a shop with a persistent object cache drop-in (wp_using_ext_object_cache()), it cleans
 *     the changed products from that cache; without one WordPress reads every row from the
 *     database anyway.
 *
 * How it works with the program:
 *
 *   The change table, {$wpdb->prefix}moravi_cambios (created here on first run; the columns
 *   cambio, antes and despues added to the table of version 1.0.0):
 *     id      BIGINT UNSIGNED AUTO_INCREMENT PRIMARY KEY   order of the changes
 *     objeto  BIGINT UNSIGNED NOT NULL                     a post ID (tipo 1) or a term_taxonomy_id (tipo 2)
 *     tipo    TINYINT UNSIGNED NOT NULL                    1 post, 2 term
 *     creado  TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP when the program wrote it
 *     cambio  TINYINT UNSIGNED NOT NULL DEFAULT 0          of a post, what changed: 1 created, 2 price,
 *                                                          4 stock, 8 stock status, 16 a variable product
 *                                                          brought in step with its variations
 *     antes   VARCHAR(32) NOT NULL DEFAULT ''              its stock status before ('' when new) ...
 *     despues VARCHAR(32) NOT NULL DEFAULT ''              ... and after, when it changed (or was created)
 *   The program inserts one row per product post it created or changed, in the same transaction
 *   as the product's rows (so a row is only visible once the product's new values are), and one
 *   row per term whose count it recounted. It writes cambio, antes and despues only when the
 *   table has them. It deletes the rows this helper reports as done, and
 *   rows older than 30 days, but always keeps the newest row (so that the auto-increment counter,
 *   which older servers recompute as MAX(id)+1 at restart, never hands out an id again).
 *
 *   The heartbeat, option "moravi_cache_latido" (not autoloaded), a JSON object:
 *     version            this file's version
 *     cache_persistente  true (the helper only runs with a persistent object cache)
 *     latido             Unix time it was written
 *     ultima_limpieza    Unix time this helper last cleaned something (0: never)
 *     limpio_hasta       change rows up to this id have been cleaned once
 *     ganchos_hasta      change rows up to this id have had their actions fired
 *     podar_hasta        change rows up to this id are done with (cleaned twice, actions fired):
 *                        the program may delete them
 *   Written after each clean, after each queued batch of actions, and otherwise at most every
 *   MORAVI_CACHE_LATIDO seconds (with a persistent cache).
 *
 * On each request (on "init", once WooCommerce has registered its taxonomies) it runs one query,
 * SELECT MAX(id) on the change table, through $wpdb and so past the cache. When there are rows it
 * has not cleaned, one request (a lock in the cache, wp_cache_add) cleans at most
 * MORAVI_CACHE_LOTE of them with WordPress's and WooCommerce's own functions, and the same rows
 * once more MORAVI_CACHE_REPASO seconds later, for the requests that read the old rows from the
 * database while the program was writing and put them back into the cache afterwards. Where it
 * got to lives in the cache itself: after a flush nothing stale is left, so it starts from the
 * newest row. When it creates the table (the first time it runs on a shop) it cleans every
 * product once, as the cache may hold what earlier sends left stale.
 *
 * Hooks: the option "moravi_ganchos_hasta" (autoloaded) holds the last change row whose actions
 * are queued. When a request sees newer rows it takes them with one compare-and-set UPDATE of
 * that option (so two requests never queue the same rows) and queues one action
 * "moravi_ganchos" (group "moravi") for the range; that action, run by Action Scheduler (WP-Cron,
 * or its async runner after an admin page), fires the actions of MORAVI_GANCHOS_LOTE products and
 * queues the next part of the range first. Per product, in WooCommerce's order (data store
 * create()/update() and handle_updated_props(), WC_Product::save()):
 *   created: woocommerce_product_published (WooCommerce 10.8 and later, a published product),
 *            the category counts (_wc_recount_terms_by_product, as wp_set_object_terms does),
 *            woocommerce_product_before_set_stock, woocommerce_product_set_visibility,
 *            woocommerce_product_set_stock (when it has a stock), woocommerce_product_set_stock_status,
 *            woocommerce_new_product, and the attribute lookup (insert);
 *   changed: woocommerce_product_before_set_stock (stock), woocommerce_product_set_visibility
 *            (status), woocommerce_product_set_stock (stock), woocommerce_product_set_stock_status
 *            (status: product ID, new status, product), woocommerce_update_product, and the
 *            attribute lookup (stock or status: update of its stock);
 *   a variation: the woocommerce_variation_* forms (no visibility) and
 *            woocommerce_update_product_variation; after the batch's variations, each variable
 *            product once, as its sync and save do: woocommerce_variable_product_sync_data,
 *            woocommerce_product_set_visibility and woocommerce_product_set_stock_status when its
 *            status changed, woocommerce_update_product.
 * The product passed is read anew (wc_get_product). Webhooks (product.created, product.updated,
 * product.published) hang on these actions and are delivered as WooCommerce delivers them; the
 * category counts of "hide out of stock items" follow woocommerce_product_set_stock_status
 * (wc_recount_after_stock_change).
 */

if ( ! defined( 'ABSPATH' ) ) {
	exit;
}

const MORAVI_CACHE_VERSION = '1.1.0';
const MORAVI_CACHE_GRUPO   = 'moravi_cache';   // cache group of its state and lock
const MORAVI_CACHE_OPCION  = 'moravi_cache_latido';
const MORAVI_CACHE_CANDADO = 60;               // seconds a lock lives if its request dies
// These three may be set in wp-config.php (or an earlier must-use plugin) to suit the shop.
defined( 'MORAVI_CACHE_LOTE' ) || define( 'MORAVI_CACHE_LOTE', 200 );     // change rows (or products) cleaned per request at most
defined( 'MORAVI_CACHE_REPASO' ) || define( 'MORAVI_CACHE_REPASO', 60 );  // seconds before the second clean of the same rows
defined( 'MORAVI_CACHE_LATIDO' ) || define( 'MORAVI_CACHE_LATIDO', 900 ); // seconds between heartbeats with nothing to clean
defined( 'MORAVI_GANCHOS_LOTE' ) || define( 'MORAVI_GANCHOS_LOTE', 50 );  // products whose actions one queued action fires

const MORAVI_GANCHOS_OPCION = 'moravi_ganchos_hasta';
const MORAVI_GANCHOS_ACCION = 'moravi_ganchos';
const MORAVI_CAMBIO_CREADO      = 1;
const MORAVI_CAMBIO_PRECIO      = 2;
const MORAVI_CAMBIO_EXISTENCIAS = 4;
const MORAVI_CAMBIO_ESTADO      = 8;
const MORAVI_CAMBIO_VARIABLE    = 16;

add_action( 'init', 'moravi_cache_al_dia', 6 );
// Late enough that Action Scheduler is ready (it starts on init, priority 1).
add_action( 'init', 'moravi_ganchos_al_dia', 20 );
add_action( MORAVI_GANCHOS_ACCION, 'moravi_ganchos_lote', 10, 2 );

/** The helper's change table, with the shop's table prefix. */
function moravi_cache_tabla() {
	global $wpdb;
	return $wpdb->prefix . 'moravi_cambios';
}

/**
 * What one request does: the one query, and when there is work, one batch of it.
 */
function moravi_cache_al_dia() {
	global $wpdb;
	if ( ! wp_using_ext_object_cache() || wp_installing() ) {
		return;
	}
	if ( false !== wp_cache_get( 'sin_tabla', MORAVI_CACHE_GRUPO ) ) {
		return;  // the table could not be created a little while ago: not tried on every request
	}
	$tabla = moravi_cache_tabla();

	$antes  = $wpdb->suppress_errors( true );
	$ultimo = $wpdb->get_var( "SELECT MAX(id) FROM `$tabla`" );
	$falla  = '' !== $wpdb->last_error;
	$wpdb->suppress_errors( $antes );
	if ( ! $falla ) {
		$GLOBALS['moravi_ultimo_cambio'] = (int) $ultimo;  // the hooks need it too: one query
	}

	$primera = false;
	if ( $falla ) {
		if ( ! moravi_cache_falta_tabla() ) {
			return;  // another error (the server went away?): the next request tries again
		}
		if ( ! moravi_cache_crea_tabla() ) {
			wp_cache_set( 'sin_tabla', 1, MORAVI_CACHE_GRUPO, HOUR_IN_SECONDS );
			return;
		}
		$primera = true;
		$ultimo  = 0;
		$GLOBALS['moravi_ultimo_cambio'] = 0;
	}
	$ultimo = (int) $ultimo;
	$ahora  = time();

	$estado = wp_cache_get( 'estado', MORAVI_CACHE_GRUPO );
	if ( ! moravi_cache_estado_valido( $estado ) || $primera ) {
		// A new cache (or one just flushed) holds nothing stale: only rows from now on count.
		// A table just made means a shop the helper has never cleaned: every product once.
		$estado = moravi_cache_estado_nuevo( $ultimo, $primera ? 0 : null, $ahora );
		if ( ! $primera && ! wp_cache_add( 'estado', $estado, MORAVI_CACHE_GRUPO ) ) {
			return;  // another request has just set it
		}
	}
	if ( ! moravi_cache_hay_trabajo( $estado, $ultimo, $ahora ) ) {
		return;
	}
	// One request at a time does the work; the others go on with what is in the cache.
	if ( ! wp_cache_add( 'candado', $ahora, MORAVI_CACHE_GRUPO, MORAVI_CACHE_CANDADO ) ) {
		return;
	}
	try {
		if ( ! $primera ) {
			// As the request before this one left them: it may have gone further than what this
			// one read before the lock.
			$vigente = wp_cache_get( 'estado', MORAVI_CACHE_GRUPO, true );
			if ( moravi_cache_estado_valido( $vigente ) ) {
				$estado = $vigente;
			}
			$ultimo = (int) $wpdb->get_var( "SELECT MAX(id) FROM `$tabla`" );
		}
		$estado = moravi_cache_trabaja( $estado, $ultimo, $ahora );
		wp_cache_set( 'estado', $estado, MORAVI_CACHE_GRUPO );
	} finally {
		wp_cache_delete( 'candado', MORAVI_CACHE_GRUPO );
	}
}

function moravi_cache_estado_nuevo( $ultimo, $todos, $ahora ) {
	return array(
		'hecho'    => $ultimo,  // change rows up to this id cleaned once
		'repasado' => $ultimo,  // ... and twice
		'tandas'   => array(),  // [ last id of a first clean, when ] waiting for the second clean
		'todos'    => $todos,   // every product being cleaned: the post ID to go on after; null: not pending
		'limpieza' => $ahora,   // when it last cleaned (a flush counts: nothing stale is left)
		'latido'   => 0,        // when the heartbeat was last written
	);
}

function moravi_cache_estado_valido( $estado ) {
	return is_array( $estado )
		&& 6 === count( array_intersect_key( $estado, moravi_cache_estado_nuevo( 0, null, 0 ) ) );
}

function moravi_cache_hay_trabajo( array $estado, $ultimo, $ahora ) {
	return $ultimo !== $estado['hecho']
		|| null !== $estado['todos']
		|| moravi_cache_repaso_debido( $estado, $ahora ) > $estado['repasado']
		|| $ahora - $estado['latido'] >= MORAVI_CACHE_LATIDO;
}

/** The last change id whose second clean is due now. */
function moravi_cache_repaso_debido( array $estado, $ahora ) {
	$hasta = $estado['repasado'];
	foreach ( $estado['tandas'] as $tanda ) {
		if ( $ahora - $tanda[1] >= MORAVI_CACHE_REPASO ) {
			$hasta = max( $hasta, $tanda[0] );
		}
	}
	return $hasta;
}

/**
 * One batch: new change rows first, then a due second clean, then the clean of every product;
 * and the heartbeat.
 */
function moravi_cache_trabaja( array $estado, $ultimo, $ahora ) {
	global $wpdb;
	$tabla  = moravi_cache_tabla();
	$limpio = false;

	if ( $ultimo < $estado['hecho'] ) {
		// The program never deletes the newest row: a smaller MAX(id) means the table was emptied
		// or made anew, and its ids start again from 1.
		$estado['hecho']    = 0;
		$estado['repasado'] = 0;
		$estado['tandas']   = array();
	}

	if ( $ultimo > $estado['hecho'] ) {
		$filas = $wpdb->get_results(
			$wpdb->prepare( "SELECT id, objeto, tipo FROM `$tabla` WHERE id > %d AND id <= %d ORDER BY id LIMIT %d", $estado['hecho'], $ultimo, MORAVI_CACHE_LOTE ),
			ARRAY_N
		);
		$hasta = moravi_cache_limpia_filas( $filas, $ultimo );
		$estado['hecho']    = $hasta;
		$estado['tandas'][] = array( $hasta, $ahora );
		$limpio             = true;
	} elseif ( ( $debido = moravi_cache_repaso_debido( $estado, $ahora ) ) > $estado['repasado'] ) {
		$filas = $wpdb->get_results(
			$wpdb->prepare( "SELECT id, objeto, tipo FROM `$tabla` WHERE id > %d AND id <= %d ORDER BY id LIMIT %d", $estado['repasado'], $debido, MORAVI_CACHE_LOTE ),
			ARRAY_N
		);
		$estado['repasado'] = moravi_cache_limpia_filas( $filas, $debido );
		$quedan             = array();
		foreach ( $estado['tandas'] as $tanda ) {
			if ( $tanda[0] > $estado['repasado'] ) {
				$quedan[] = $tanda;
			}
		}
		$estado['tandas'] = $quedan;
		$limpio           = true;
	} elseif ( null !== $estado['todos'] ) {
		$ids = array_map(
			'intval',
			$wpdb->get_col(
				$wpdb->prepare( "SELECT ID FROM {$wpdb->posts} WHERE ID > %d AND post_type IN ('product', 'product_variation') ORDER BY ID LIMIT %d", $estado['todos'], MORAVI_CACHE_LOTE )
			)
		);
		$terminos = array();
		if ( count( $ids ) < MORAVI_CACHE_LOTE ) {
			// The last batch: the product terms too (their counts), and done.
			$terminos        = array_map(
				'intval',
				$wpdb->get_col( "SELECT term_taxonomy_id FROM {$wpdb->term_taxonomy} WHERE taxonomy IN ('product_type', 'product_visibility', 'product_cat', 'product_tag')" )
			);
			$estado['todos'] = null;
		} else {
			$estado['todos'] = end( $ids );
		}
		moravi_cache_limpia( $ids, $terminos );
		$limpio = true;
	}

	if ( $limpio ) {
		$estado['limpieza'] = $ahora;
	}
	if ( $limpio || $ahora - $estado['latido'] >= MORAVI_CACHE_LATIDO ) {
		$estado['latido'] = $ahora;
		moravi_cache_escribe_latido( $estado );
	}
	return $estado;
}

/**
 * Cleans what the change rows name; returns the id up to which they are done: the last row's,
 * or `$hasta` when fewer rows than a batch came (the rest of the range is empty).
 */
function moravi_cache_limpia_filas( $filas, $hasta ) {
	$posts    = array();
	$terminos = array();
	$ultima   = 0;
	foreach ( (array) $filas as $fila ) {
		// Only integers are taken from the rows.
		$ultima = (int) $fila[0];
		$objeto = (int) $fila[1];
		$tipo   = (int) $fila[2];
		if ( $objeto <= 0 ) {
			continue;
		}
		if ( 1 === $tipo ) {
			$posts[] = $objeto;
		} elseif ( 2 === $tipo ) {
			$terminos[] = $objeto;
		}
	}
	moravi_cache_limpia( $posts, $terminos );
	return count( (array) $filas ) < MORAVI_CACHE_LOTE ? (int) $hasta : $ultima;
}

/**
 * What WordPress and WooCommerce clear when a product is saved, for the posts `$posts`, and the
 * caches of the terms `$terminos` (term_taxonomy_id); then the versions of WooCommerce's cached
 * product queries.
 */
function moravi_cache_limpia( array $posts, array $terminos ) {
	$posts    = array_values( array_unique( array_filter( array_map( 'intval', $posts ) ) ) );
	$terminos = array_values( array_unique( array_filter( array_map( 'intval', $terminos ) ) ) );
	if ( ! $posts && ! $terminos ) {
		return;
	}
	$woo = function_exists( 'wc_delete_product_transients' ) && class_exists( 'WC_Cache_Helper' );
	if ( $posts ) {
		// clean_post_cache() needs each post's type: the ones the cache lacks are read in one query.
		_prime_post_caches( $posts, false, false );
		foreach ( $posts as $id ) {
			if ( get_post( $id ) ) {
				clean_post_cache( $id );  // post, meta, term relationships, and every cached post query
			} else {
				wp_cache_delete( $id, 'posts' );
				wp_cache_delete( $id, 'post_meta' );
			}
			if ( $woo ) {
				wc_delete_product_transients( $id );  // its transients and the product transient version
				WC_Cache_Helper::invalidate_cache_group( 'product_' . $id );  // its type
				WC_Cache_Helper::invalidate_cache_group( 'object_' . $id );   // its meta data as WC_Data reads it
				wp_cache_delete( 'lookup_table', 'object_' . $id );
				wp_cache_delete( 'product-' . $id, 'products' );
			}
		}
	}
	if ( $terminos ) {
		clean_term_cache( $terminos, '' );  // term_taxonomy_ids: the terms, their taxonomies' caches
	}
	// New versions of WooCommerce's cached product queries and [products] lists. WooCommerce's
	// own version is the time in seconds: renewed twice within one second it stays the same, and
	// a list cached in between from the old rows would still count as current. This one has the
	// microseconds too, so it changes on every clean and never comes back.
	if ( $woo ) {
		list( $fraccion, $segundos ) = explode( ' ', microtime() );
		foreach ( array( 'product', 'product_query' ) as $grupo ) {
			WC_Cache_Helper::get_transient_version( $grupo, true );
			set_transient( $grupo . '-transient-version', $segundos . substr( $fraccion, 1, 7 ) );
		}
	}
}

/** Whether the change table is missing (and not just unreadable for a moment). */
function moravi_cache_falta_tabla() {
	global $wpdb;
	$antes = $wpdb->suppress_errors( true );
	$hay   = $wpdb->get_var( $wpdb->prepare( 'SHOW TABLES LIKE %s', $wpdb->esc_like( moravi_cache_tabla() ) ) );
	$falla = '' !== $wpdb->last_error;
	$wpdb->suppress_errors( $antes );
	return ! $falla && null === $hay;
}

function moravi_cache_crea_tabla() {
	global $wpdb;
	$tabla = moravi_cache_tabla();
	$antes = $wpdb->suppress_errors( true );
	$ok    = false !== $wpdb->query(
		"CREATE TABLE IF NOT EXISTS `$tabla` (
			id BIGINT UNSIGNED NOT NULL AUTO_INCREMENT,
			objeto BIGINT UNSIGNED NOT NULL,
			tipo TINYINT UNSIGNED NOT NULL,
			creado TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
			cambio TINYINT UNSIGNED NOT NULL DEFAULT 0,
			antes VARCHAR(32) NOT NULL DEFAULT '',
			despues VARCHAR(32) NOT NULL DEFAULT '',
			PRIMARY KEY (id)
		) ENGINE=InnoDB " . $wpdb->get_charset_collate()
	);
	$wpdb->suppress_errors( $antes );
	return $ok;
}

function moravi_cache_escribe_latido( array $estado ) {
	moravi_escribe_latido(
		array(
			'latido'          => $estado['latido'],
			'ultima_limpieza' => $estado['limpieza'],
			'limpio_hasta'    => $estado['hecho'],
			'repasado'        => $estado['repasado'],
		)
	);
}

/**
 * Writes the heartbeat with `$nuevo` over what it held: the cache's part and the hooks' part are
 * written at different times. podar_hasta is what both are done with.
 */
function moravi_escribe_latido( array $nuevo ) {
	global $wpdb;
	// Read past the cache: the other part may have been written by another request.
	$guardado = json_decode( (string) $wpdb->get_var( $wpdb->prepare( "SELECT option_value FROM {$wpdb->options} WHERE option_name = %s", MORAVI_CACHE_OPCION ) ), true );
	$latido   = array_merge(
		array(
			'latido'          => time(),
			'ultima_limpieza' => 0,
			'limpio_hasta'    => 0,
			'repasado'        => 0,
		),
		is_array( $guardado ) ? $guardado : array(),
		$nuevo
	);
	if ( ! isset( $nuevo['latido'] ) ) {
		$latido['latido'] = time();  // the hooks' part: written now
	}
	$latido['version']           = MORAVI_CACHE_VERSION;
	$latido['cache_persistente'] = wp_using_ext_object_cache();
	$hechos = array();
	if ( $latido['cache_persistente'] ) {
		$hechos[] = (int) $latido['repasado'];
	}
	if ( isset( $latido['ganchos_hasta'] ) ) {
		$hechos[] = (int) $latido['ganchos_hasta'];
	}
	$latido['podar_hasta'] = $hechos ? min( $hechos ) : 0;
	if ( ! $latido['cache_persistente'] && isset( $latido['ganchos_hasta'] ) ) {
		$latido['limpio_hasta'] = (int) $latido['ganchos_hasta'];  // nothing to clean: done is done
	}
	update_option( MORAVI_CACHE_OPCION, wp_json_encode( $latido ), false );
}


/*
 * Hooks: what WooCommerce's own save of each changed product would have fired.
 */

/**
 * On each request: when the change table has rows newer than the option, takes them (one
 * compare-and-set UPDATE) and queues one action for them. The first time (this version on a
 * shop), makes or completes the table and starts from its newest row.
 */
function moravi_ganchos_al_dia() {
	global $wpdb;
	if ( wp_installing() || ! function_exists( 'WC' ) || ( ! function_exists( 'as_enqueue_async_action' ) && ! function_exists( 'as_schedule_single_action' ) ) ) {
		return;
	}
	$hasta = get_option( MORAVI_GANCHOS_OPCION, null );
	if ( null === $hasta || false === $hasta ) {
		moravi_ganchos_empieza();
		return;
	}
	$hasta = (int) $hasta;
	if ( isset( $GLOBALS['moravi_ultimo_cambio'] ) ) {
		$ultimo = (int) $GLOBALS['moravi_ultimo_cambio'];
	} else {
		$antes  = $wpdb->suppress_errors( true );
		$ultimo = $wpdb->get_var( 'SELECT MAX(id) FROM `' . moravi_cache_tabla() . '`' );
		$falla  = '' !== $wpdb->last_error;
		$wpdb->suppress_errors( $antes );
		if ( $falla ) {
			return;  // the table went away: the program writes nothing then
		}
		$ultimo = (int) $ultimo;
	}
	if ( $ultimo === $hasta ) {
		return;
	}
	// A smaller MAX(id): the table was emptied or made anew; its ids start again.
	$desde = $ultimo < $hasta ? 0 : $hasta;
	$hecho = $wpdb->query(
		$wpdb->prepare( "UPDATE {$wpdb->options} SET option_value = %s WHERE option_name = %s AND option_value = %s", (string) $ultimo, MORAVI_GANCHOS_OPCION, (string) $hasta )
	);
	// Whoever won, the cached options are no longer right.
	wp_cache_delete( 'alloptions', 'options' );
	wp_cache_delete( MORAVI_GANCHOS_OPCION, 'options' );
	if ( 1 !== $hecho || $ultimo <= $desde ) {
		return;  // another request took them
	}
	moravi_ganchos_encola( $desde, $ultimo );
}

function moravi_ganchos_encola( $desde, $hasta ) {
	$args = array( (int) $desde, (int) $hasta );
	if ( function_exists( 'as_enqueue_async_action' ) ) {
		as_enqueue_async_action( MORAVI_GANCHOS_ACCION, $args, 'moravi' );
	} else {
		as_schedule_single_action( time(), MORAVI_GANCHOS_ACCION, $args, 'moravi' );
	}
}

/** This version's first run on the shop: the table with its columns, and the starting point. */
function moravi_ganchos_empieza() {
	global $wpdb;
	if ( false !== get_transient( 'moravi_sin_tabla' ) ) {
		return;
	}
	$tabla = moravi_cache_tabla();
	$antes = $wpdb->suppress_errors( true );
	if ( moravi_cache_falta_tabla() ) {
		$ok = moravi_cache_crea_tabla();
	} else {
		$ok = null !== $wpdb->get_var( "SHOW COLUMNS FROM `$tabla` LIKE 'cambio'" )
			|| false !== $wpdb->query(
				"ALTER TABLE `$tabla` ADD COLUMN cambio TINYINT UNSIGNED NOT NULL DEFAULT 0,
				ADD COLUMN antes VARCHAR(32) NOT NULL DEFAULT '', ADD COLUMN despues VARCHAR(32) NOT NULL DEFAULT ''"
			);
	}
	$ultimo = $ok ? $wpdb->get_var( "SELECT MAX(id) FROM `$tabla`" ) : null;
	$falla  = '' !== $wpdb->last_error;
	$wpdb->suppress_errors( $antes );
	if ( ! $ok || $falla ) {
		set_transient( 'moravi_sin_tabla', 1, HOUR_IN_SECONDS );  // not tried on every request
		return;
	}
	// What earlier sends changed is not announced now: it is long past.
	add_option( MORAVI_GANCHOS_OPCION, (string) (int) $ultimo, '', 'yes' );
	moravi_escribe_latido( array( 'ganchos_hasta' => (int) $ultimo ) );
}

/**
 * The queued action: fires the actions of the changed products among the change rows
 * (`$desde`, `$hasta`], MORAVI_GANCHOS_LOTE products at a time; the rest goes to a new action,
 * queued first, so that a listener that fails does not lose it.
 */
function moravi_ganchos_lote( $desde, $hasta ) {
	global $wpdb;
	$desde = (int) $desde;
	$hasta = (int) $hasta;
	if ( ! function_exists( 'wc_get_product' ) || $hasta <= $desde ) {
		return;
	}
	$tabla = moravi_cache_tabla();
	$filas = $wpdb->get_results(
		$wpdb->prepare( "SELECT id, objeto, cambio, antes, despues FROM `$tabla` WHERE id > %d AND id <= %d AND tipo = 1 AND cambio <> 0 ORDER BY id LIMIT %d", $desde, $hasta, MORAVI_GANCHOS_LOTE ),
		ARRAY_N
	);
	$filas = (array) $filas;
	if ( count( $filas ) >= MORAVI_GANCHOS_LOTE ) {
		moravi_ganchos_encola( (int) $filas[ count( $filas ) - 1 ][0], $hasta );
	} else {
		moravi_escribe_latido( array( 'ganchos_hasta' => $hasta ) );
	}
	if ( ! $filas ) {
		return;
	}
	if ( wp_using_ext_object_cache() ) {
		// The products must be read as the send left them, whatever the cache holds.
		moravi_cache_limpia( array_map( 'intval', array_column( $filas, 1 ) ), array() );
	}
	$variables = array();  // variable product ID => [ cambio, antes, despues ]
	foreach ( $filas as $fila ) {
		$id     = (int) $fila[1];
		$cambio = (int) $fila[2];
		if ( $cambio & MORAVI_CAMBIO_VARIABLE ) {
			// Once per variable product, after its variations, with its status before the
			// first row and after the last.
			if ( isset( $variables[ $id ] ) ) {
				$variables[ $id ][0] |= $cambio;
				if ( $cambio & MORAVI_CAMBIO_ESTADO ) {
					$variables[ $id ][1] = '' === $variables[ $id ][1] ? (string) $fila[3] : $variables[ $id ][1];
					$variables[ $id ][2] = (string) $fila[4];
				}
			} else {
				$variables[ $id ] = array( $cambio, (string) $fila[3], (string) $fila[4] );
			}
			continue;
		}
		moravi_ganchos_producto( $id, $cambio, (string) $fila[3], (string) $fila[4] );
	}
	foreach ( $variables as $id => $v ) {
		moravi_ganchos_variable( (int) $id, $v[0], $v[1], $v[2] );
	}
}

/** What WooCommerce's save fires for a product or a variation the send created or changed. */
function moravi_ganchos_producto( $id, $cambio, $antes, $despues ) {
	$producto = wc_get_product( $id );
	if ( ! $producto ) {
		return;  // deleted since
	}
	$variacion   = $producto->is_type( 'variation' );
	$tipo        = $variacion ? 'variation' : 'product';
	$creado      = (bool) ( $cambio & MORAVI_CAMBIO_CREADO );
	$existencias = (bool) ( $cambio & MORAVI_CAMBIO_EXISTENCIAS );
	$estado      = ( $cambio & MORAVI_CAMBIO_ESTADO ) && $antes !== $despues;

	if ( $creado ) {
		// wp_insert_post(): the status transition, and the terms' counts.
		if ( 'publish' === $producto->get_status() && version_compare( WC()->version, '10.8', '>=' ) ) {
			do_action( 'woocommerce_product_published', $id );
		}
		if ( function_exists( '_wc_recount_terms_by_product' ) ) {
			_wc_recount_terms_by_product( $id );
		}
	}
	if ( $creado || $existencias ) {
		do_action( "woocommerce_{$tipo}_before_set_stock", $producto );
	}
	if ( ! $variacion && ( $creado || $estado ) ) {
		do_action( 'woocommerce_product_set_visibility', $id, $producto->get_catalog_visibility() );
	}
	if ( $existencias ) {
		do_action( "woocommerce_{$tipo}_set_stock", $producto );
	}
	if ( $estado || $creado ) {
		do_action( "woocommerce_{$tipo}_set_stock_status", $id, $producto->get_stock_status(), $producto );
	}
	if ( $creado ) {
		do_action( $variacion ? 'woocommerce_new_product_variation' : 'woocommerce_new_product', $id, $producto );
	} else {
		do_action( $variacion ? 'woocommerce_update_product_variation' : 'woocommerce_update_product', $id, $producto );
	}
	$cambios = array();
	if ( $existencias ) {
		$cambios['stock_quantity'] = $producto->get_stock_quantity();
	}
	if ( $estado ) {
		$cambios['stock_status'] = $producto->get_stock_status();
	}
	moravi_ganchos_busqueda_atributos( $producto, $creado ? null : $cambios );
}

/** What the sync and save of a variable product fire after its variations changed. */
function moravi_ganchos_variable( $id, $cambio, $antes, $despues ) {
	$producto = wc_get_product( $id );
	if ( ! $producto || ! $producto->is_type( 'variable' ) ) {
		return;
	}
	$estado = ( $cambio & MORAVI_CAMBIO_ESTADO ) && $antes !== $despues;
	do_action( 'woocommerce_variable_product_sync_data', $producto );
	if ( $estado ) {
		do_action( 'woocommerce_product_set_visibility', $id, $producto->get_catalog_visibility() );
		do_action( 'woocommerce_product_set_stock_status', $id, $producto->get_stock_status(), $producto );
	}
	do_action( 'woocommerce_update_product', $id, $producto );
	moravi_ganchos_busqueda_atributos( $producto, $estado ? array( 'stock_status' => $producto->get_stock_status() ) : array() );
}

/**
 * The attribute lookup table (the attribute filters of the shop page), as WC_Product::save()
 * keeps it: `$cambios` null for a new product, else the changed props.
 */
function moravi_ganchos_busqueda_atributos( $producto, $cambios ) {
	$clase = 'Automattic\\WooCommerce\\Internal\\ProductAttributesLookup\\LookupDataStore';
	if ( ( null !== $cambios && ! $cambios ) || ! function_exists( 'wc_get_container' ) || ! class_exists( $clase ) ) {
		return;
	}
	wc_get_container()->get( $clase )->on_product_changed( $producto, $cambios );
}
