<?php
/**
 * Plugin Name: Moravi: caché de objetos al día
 * Description: Limpia de la caché persistente de objetos (Redis, Memcached...) los productos que el programa Moravi escribe directamente en la base de datos de la tienda, para que la tienda muestre enseguida los precios y existencias nuevos. No hace nada si la tienda no usa una caché persistente.
 * Version: 1.0.0
 * Requires at least: 5.5
 * License: GPLv2 or later
 *
 * Copy this file into wp-content/mu-plugins/ of the shop (WordPress loads every .php file there,
 * with no activation). It only acts when a persistent object cache drop-in is in use
 * (wp_using_ext_object_cache()); without one WordPress reads every row from the database anyway.
 *
 * How it works with the program:
 *
 *   The change table, {$wpdb->prefix}moravi_cambios (created here on first run):
 *     id      BIGINT UNSIGNED AUTO_INCREMENT PRIMARY KEY   order of the changes
 *     objeto  BIGINT UNSIGNED NOT NULL                     a post ID (tipo 1) or a term_taxonomy_id (tipo 2)
 *     tipo    TINYINT UNSIGNED NOT NULL                    1 post, 2 term
 *     creado  TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP when the program wrote it
 *   The program inserts one row per product post it created or changed, in the same transaction
 *   as the product's rows (so a row is only visible once the product's new values are), and one
 *   row per term whose count it recounted. It deletes the rows this helper reports as done, and
 *   rows older than 30 days, but always keeps the newest row (so that the auto-increment counter,
 *   which older servers recompute as MAX(id)+1 at restart, never hands out an id again).
 *
 *   The heartbeat, option "moravi_cache_latido" (not autoloaded), a JSON object:
 *     version            this file's version
 *     cache_persistente  true (the helper only runs with a persistent object cache)
 *     latido             Unix time it was written
 *     ultima_limpieza    Unix time this helper last cleaned something (0: never)
 *     limpio_hasta       change rows up to this id have been cleaned once
 *     podar_hasta        change rows up to this id have been cleaned twice: the program may delete them
 *   Written after each clean, and otherwise at most every MORAVI_CACHE_LATIDO seconds.
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
 */

if ( ! defined( 'ABSPATH' ) ) {
	exit;
}

const MORAVI_CACHE_VERSION = '1.0.0';
const MORAVI_CACHE_GRUPO   = 'moravi_cache';   // cache group of its state and lock
const MORAVI_CACHE_OPCION  = 'moravi_cache_latido';
const MORAVI_CACHE_CANDADO = 60;               // seconds a lock lives if its request dies
// These three may be set in wp-config.php (or an earlier must-use plugin) to suit the shop.
defined( 'MORAVI_CACHE_LOTE' ) || define( 'MORAVI_CACHE_LOTE', 200 );     // change rows (or products) cleaned per request at most
defined( 'MORAVI_CACHE_REPASO' ) || define( 'MORAVI_CACHE_REPASO', 60 );  // seconds before the second clean of the same rows
defined( 'MORAVI_CACHE_LATIDO' ) || define( 'MORAVI_CACHE_LATIDO', 900 ); // seconds between heartbeats with nothing to clean

add_action( 'init', 'moravi_cache_al_dia', 6 );

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
			PRIMARY KEY (id)
		) ENGINE=InnoDB " . $wpdb->get_charset_collate()
	);
	$wpdb->suppress_errors( $antes );
	return $ok;
}

function moravi_cache_escribe_latido( array $estado ) {
	update_option(
		MORAVI_CACHE_OPCION,
		wp_json_encode(
			array(
				'version'           => MORAVI_CACHE_VERSION,
				'cache_persistente' => wp_using_ext_object_cache(),
				'latido'            => $estado['latido'],
				'ultima_limpieza'   => $estado['limpieza'],
				'limpio_hasta'      => $estado['hecho'],
				'podar_hasta'       => $estado['repasado'],
			)
		),
		false
	);
}
