#include "sync/ValoresIniciales.h"

const std::array<ValorInicial, 25> kValoresIniciales{{
    {"_wc_review_count", "0"},        {"_wc_rating_count", "a:0:{}"},
    {"_wc_average_rating", "0"},      {"_edit_last", "337"},
    {"_mp_recurring_frequency", "1"}, {"_mp_recurring_frequency_type", "days"},
    {"_manage_stock", "yes"},         {"_backorders", "no"},
    {"_low_stock_amount", "0"},       {"_sold_individually", "no"},
    {"_upsell_ids", "a:0:{}"},        {"_crosssell_ids", "a:0:{}"},
    {"_default_attributes", "a:0:{}"}, {"_virtual", "no"},
    {"_downloadable", "no"},          {"_download_limit", "-1"},
    {"_download_expiry", "-1"},       {"_product_version", "3.5.5"},
    {"slide_template", "Default"},    {"_post_facebook_shares", "0"},
    {"_post_twitter_shares", "0"},    {"_post_google_shares", "0"},
    {"_post_pinterest_shares", "0"},  {"_post_vk_shares", "0"},
    {"_post_mail_shares", "0"},
}};

const std::array<ValorInicial, 3> kValoresWooCommerce{{
    {"total_sales", "0"}, {"_tax_status", "taxable"}, {"_tax_class", ""},
}};
