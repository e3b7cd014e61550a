<?xml version="1.0"?>
<!-- Period summary: one row per account of the subject with its balance
     before the first day, the money into it (To) and out of it (From) within
     the period, and its balance at the end of the last day.
     The subject: AccountCode, an account's code as a string ('12'), or else
     GroupString, a group's member list (',3,1,7,'), or else (both 0) every
     account. The window fills the TD cells intotal, outtotal and diff after
     the transformation; the in and out cells carry the class words "in" and
     "out", which the column sum (sumCol) adds. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:variable name="FromDate" select="0"/>
  <xsl:variable name="ToDate" select="0"/>
  <xsl:variable name="AccountCode" select="0"/>
  <xsl:variable name="GroupString" select="0"/>

  <xsl:variable name="lower" select="'abcdefghijklmnopqrstuvwxyz'"/>
  <xsl:variable name="upper" select="'ABCDEFGHIJKLMNOPQRSTUVWXYZ'"/>

  <!-- An amount as 0.00, rounded to cents first so that a sum such as
       -0.0000001 shows as 0.00 and not -0.00. -->
  <xsl:template name="amount">
    <xsl:param name="value"/>
    <xsl:value-of select="format-number(round($value * 100) div 100, '0.00')"/>
  </xsl:template>

  <xsl:template match="/">
    <xsl:variable name="oneAccount" select="string($AccountCode) != '0'"/>
    <xsl:variable name="oneGroup" select="not($oneAccount) and string($GroupString) != '0'"/>
    <xsl:variable name="heads" select="/Data/AcMaster/a[
        ($oneAccount and @Code = $AccountCode)
        or ($oneGroup and contains($GroupString, concat(',', @Code, ',')))
        or (not($oneAccount) and not($oneGroup))]"/>
    <!-- The book is read twice in all: once for what lies before the period,
         once for the period itself; the rows work on these two sets only. -->
    <xsl:variable name="trans" select="/Data/Trans/t"/>
    <xsl:variable name="before" select="$trans[@dt &lt; $FromDate]"/>
    <xsl:variable name="period" select="$trans[@dt &gt;= $FromDate and @dt &lt;= $ToDate]"/>
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>[*[REPORTTILE]*]</B></DIV>
        <TABLE width="100%" cellspacing="0" cellpadding="2">
          <TR>
            <TH>Account</TH>
            <TH width="120">Opening Balance</TH>
            <TH width="120">In (To)</TH>
            <TH width="120">Out (From)</TH>
            <TH width="120">Closing Balance</TH>
          </TR>
          <xsl:for-each select="$heads">
            <xsl:sort select="translate(@AcName, $lower, $upper)"/>
            <xsl:variable name="code" select="string(@Code)"/>
            <xsl:variable name="opening" select="sum($before[@tAc = $code]) - sum($before[@fAc = $code])"/>
            <xsl:variable name="in" select="sum($period[@tAc = $code])"/>
            <xsl:variable name="out" select="sum($period[@fAc = $code])"/>
            <TR id="id{$code}">
              <TD class="text"><A href="{$code}"><xsl:value-of select="@AcName"/></A></TD>
              <TD class="Amount" align="right">
                <xsl:call-template name="amount"><xsl:with-param name="value" select="$opening"/></xsl:call-template>
              </TD>
              <TD class="Amount in" align="right">
                <xsl:call-template name="amount"><xsl:with-param name="value" select="$in"/></xsl:call-template>
              </TD>
              <TD class="Amount out" align="right">
                <xsl:call-template name="amount"><xsl:with-param name="value" select="$out"/></xsl:call-template>
              </TD>
              <TD class="Amount" align="right">
                <xsl:call-template name="amount"><xsl:with-param name="value" select="$opening + $in - $out"/></xsl:call-template>
              </TD>
            </TR>
          </xsl:for-each>
          <xsl:if test="not($heads)">
            <TR><TD class="text" colspan="5">No account to show.</TD></TR>
          </xsl:if>
          <TR>
            <TD class="GrandTotalCaption" colspan="2">Total</TD>
            <TD id="intotal" class="GrandTotalAmount" align="right">0.00</TD>
            <TD id="outtotal" class="GrandTotalAmount" align="right">0.00</TD>
            <TD>&#160;</TD>
          </TR>
          <TR>
            <TD class="GrandTotalCaption" colspan="2">Difference (In - Out)</TD>
            <TD id="diff" class="GrandTotalAmount" align="right">0.00</TD>
            <TD colspan="2">&#160;</TD>
          </TR>
          <xsl:if test="not($oneAccount) and not($oneGroup)">
            <TR>
              <TD class="text" colspan="5"><BR/>Every transaction moves its amount out of one account
                and into another, so over all accounts the In and Out totals are always equal and
                their difference is 0.00.</TD>
            </TR>
          </xsl:if>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>
</xsl:stylesheet>
